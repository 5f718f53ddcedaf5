#pragma once

#include "model/PortSettings.h"
#include "model/TokenFile.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace quadrel {

class MessageBoxes;

// The Network tab of Options, the technician's alone: whether the HTTP API
// and the text protocol are served, where and how, and the tokens that let
// network clients in. A token is made and revoked at once, in its file; its
// secret is shown here once, and kept nowhere.
class NetworkPage : public QWidget {
    Q_OBJECT
public:
    NetworkPage(PortSettings& settings, QString tokensFile, MessageBoxes& messages,
                std::function<void()> applied, QWidget* parent = nullptr);

    // Writes the settings and has the doors follow them; false, having said
    // why, when they are not taken.
    bool Apply();

    QCheckBox* chkApi() const { return chkApi_; }
    QCheckBox* chkText() const { return chkText_; }
    QLineEdit* txtAddress() const { return txtAddress_; }
    QLabel* lblExposed() const { return lblExposed_; }
    QTableWidget* tblTokens() const { return tblTokens_; }
    QLineEdit* txtTokenName() const { return txtTokenName_; }
    QComboBox* cboTokenRole() const { return cboTokenRole_; }
    QPushButton* cmdCreate() const { return cmdCreate_; }
    QPushButton* cmdRevoke() const { return cmdRevoke_; }
    QLineEdit* txtNewToken() const { return txtNewToken_; }

private:
    void FillTokens();
    void Create();
    void Revoke();
    void AddressEdited();

    PortSettings& settings_;
    TokenFile tokens_;
    MessageBoxes& messages_;
    std::function<void()> applied_;
    QCheckBox* chkApi_ = nullptr;
    QCheckBox* chkText_ = nullptr;
    QLineEdit* txtAddress_ = nullptr;
    QLabel* lblExposed_ = nullptr;
    QSpinBox* spnApiPort_ = nullptr;
    QSpinBox* spnTextPort_ = nullptr;
    QLineEdit* txtCertificate_ = nullptr;
    QLineEdit* txtKey_ = nullptr;
    QLineEdit* txtOrigins_ = nullptr;
    QTableWidget* tblTokens_ = nullptr;
    QLineEdit* txtTokenName_ = nullptr;
    QComboBox* cboTokenRole_ = nullptr;
    QPushButton* cmdCreate_ = nullptr;
    QPushButton* cmdRevoke_ = nullptr;
    QLineEdit* txtNewToken_ = nullptr;
};

} // namespace quadrel
