#pragma once

#include "control/NamedPorts.h"
#include "model/NamesStore.h"

#include <QFrame>
#include <QLineEdit>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QPushButton;
class QWidget;

namespace quadrel {

class NamesDialog;
class QuadrelCore;

// The operator's names on the pages: finds the selected unit's names in the
// store and shows them on every page, or, when names were made at its ID
// for a unit that reported otherwise, says so in a bar above the unit pane
// and offers them. Names are edited in place (F2, or the context menu of a
// port's button, box or panel) and in the names table.
class PortNaming : public QObject {
    Q_OBJECT
public:
    PortNaming(QuadrelCore& core, NamesStore& store, QWidget* window);
    ~PortNaming() override;

    // A page that shows names and whose ports can be named.
    void AddView(NamedPortsView& view);
    // Why names may not be changed now (told on the status line); empty: they may.
    void setRefusal(std::function<QString()> refusal) { refusal_ = std::move(refusal); }
    // The bar, for the window to place above the unit pane; hidden while it
    // has nothing to say.
    QFrame* bar() const { return bar_.data(); }
    QLabel* barText() const { return barText_; }
    QPushButton* useButton() const { return use_; }
    QPushButton* asideButton() const { return aside_; }

    // The selected unit may have changed or been read anew.
    void Refresh();
    // The names shown for the selected unit (none while a bar asks).
    const UnitNames& shown() const { return shown_; }
    // The unit's own name, for its row in the unit list.
    QString UnitNameOf(const QRDSTA& unit) const;
    // `names` become the selected unit's (a restored file's); false when
    // they could not be kept.
    bool UseNames(const UnitNames& names);

    // Opens the editor over `widget` for the port it stands for; false when
    // it stands for none.
    bool EditName(QWidget* widget);
    QLineEdit* editor() const { return editor_; }
    // The names table of the selected unit; `prepare` lets a test answer it
    // instead of the operator.
    void ShowTable();
    void setTableHook(std::function<void(NamesDialog&)> hook) { tableHook_ = std::move(hook); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True, with the reason told, when names may not be changed now.
    bool Refused();
    // The unit as the names file keys it: with the line it is on.
    UnitReport Report(const QRDSTA& unit) const;
    std::optional<NamedPort> PortOf(QObject* widget) const;
    // The selected unit is being read (live or a preset): its names wait.
    bool Reading() const;
    void ContextMenu(QWidget* widget, const QPoint& at);
    void Commit();
    void CloseEditor();
    void Stored(bool ok);
    void ShowBar();

    QuadrelCore& core_;
    NamesStore& store_;
    QWidget* window_;
    std::vector<NamedPortsView*> views_;
    std::optional<UnitReport> unit_; // the selected unit, when it answers
    UnitNames shown_;
    QString notice_; // a problem of the names file, until dismissed
    QPointer<QFrame> bar_;
    QLabel* barText_;
    QPushButton* use_;
    QPushButton* aside_;
    QPushButton* dismiss_;
    QPointer<QLineEdit> editor_;
    QPointer<QWidget> editedWidget_;
    NamedPort edited_;
    UnitReport editedUnit_;
    std::function<void(NamesDialog&)> tableHook_;
    std::function<QString()> refusal_;
};

} // namespace quadrel
