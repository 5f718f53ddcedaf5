#pragma once

#include <QDialog>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace quadrel {

class ComLine;

// The port options: which port and which rate. OK opens the port and, only
// when that works, keeps the choice in the settings; a port that will not
// open is reported, the ports are probed again and the dialog stays. A
// choice that cannot be stored still holds for this run; the operator is
// told so.
class frmOptions : public QDialog {
    Q_OBJECT
public:
    // `clearUnitPane` runs when Cancel or Escape leaves the port closed.
    frmOptions(ComLine& line, std::function<void()> clearUnitPane, QWidget* parent = nullptr);

    // True from loading until OK succeeds.
    bool blOptionsCancelled() const { return blOptionsCancelled_; }

    // Selects the entry of `selectPort` (default: the port in use); none
    // when that port is not in the list.
    void FillPortNumberList(int selectPort);
    void FillPortNumberList();
    void FillBaudRateList();
    void cmdOK_Click();
    void cmdCancel_Click();
    // A page of the program's own; `apply` runs first at OK, and false keeps
    // the dialog open (having said why).
    void AddPage(QWidget* page, const QString& caption, std::function<bool()> apply);

    QTabWidget* TabStrip1() const { return TabStrip1_; }
    QLabel* Label1() const { return Label1_; }
    QLabel* Label2() const { return Label2_; }
    QComboBox* cboPortNumber() const { return cboPortNumber_; }
    QComboBox* cboBaudRate() const { return cboBaudRate_; }
    QComboBox* cboLanguage() const { return cboLanguage_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateOK();
    void AddLanguagePage();

    ComLine& line_;
    std::function<void()> clearUnitPane_;
    bool blOptionsCancelled_ = true;
    QTabWidget* TabStrip1_ = nullptr;
    std::vector<std::function<bool()>> applies_;
    QLabel* Label1_ = nullptr;
    QLabel* Label2_ = nullptr;
    QComboBox* cboPortNumber_ = nullptr;
    QComboBox* cboBaudRate_ = nullptr;
    QComboBox* cboLanguage_ = nullptr;
    QString keptLanguage_;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

} // namespace quadrel
