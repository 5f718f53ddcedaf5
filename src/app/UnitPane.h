#pragma once

#include "app/UnitList.h"
#include "control/NamedPorts.h"
#include "model/ChangeHistory.h"
#include "model/ChangePath.h"
#include "model/ViewParts.h"

#include <QHash>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace quadrel {

class MemoryRowList;
class MessageBoxes;
class ProgramState;

class QuadrelCore;
class Views;
struct UnitRow;

// The unit list (lstQRD), one row per unit found, whose click selects the
// unit all views show; and the memory frame (fraMemory) that saves, recalls
// and shows the selected unit's presets.
class UnitPane : public QWidget, public UnitPanePart, public NamedPortsView {
    Q_OBJECT
public:
    // `views` is the whole window's view hub: a row click unticks every
    // page's "Select all", Save disables every unit control.
    UnitPane(QuadrelCore& core, Views& views, QWidget* parent = nullptr);
    ~UnitPane() override;

    // UnitPanePart
    void Enable_lstQRD(bool enabled) override;
    void Enable_fraMemory(bool enabled) override;
    void ShowUnitRow(const QRDSTA& unit) override;
    void SetUnitIcon(uint8_t id, bool answering) override;
    void SetUnitFirmwareText(uint8_t id, const QString& text) override;
    void ClearUnitList() override;
    void ShowLastSeenRow(uint8_t id, const QString& name) override;
    void DropLastSeenRows(int id) override;
    void FillMemoryLocations() override;
    void ClearMemoryLocations() override;
    std::optional<int> SelectedMemoryLocation() const override;
    int MemoryRowCount() const override;
    void ClearMemoryRows() override;
    void SetMemoryRowInput(SignalKind kind, int output, int input) override;
    void SetMemoryRowMuteStatus(int output, bool supported, int mute) override;
    void SetMemoryRowVolumnLevel(int output, bool supported, int level) override;
    void SetMemoryRowBassLevel(int output, bool supported, int level) override;
    void SetMemoryRowTrebleLevel(int output, bool supported, int level) override;
    void SetMemoryRowSubwooferLevel(int output, bool supported, int level) override;
    void SetMemoryRowDelayTime(int output, bool supported, int32_t delay) override;

    // Where "&Save" and "&Load" ask first, and where "Do not ask again" is
    // kept. Without them they do not ask.
    void setQuestions(MessageBoxes& messages, ProgramState& state) {
        messages_ = &messages;
        state_ = &state;
    }
    // State file keys of the two questions: true (or missing) asks.
    static constexpr const char* kAskSave = "Ask/SavePreset";
    static constexpr const char* kAskLoad = "Ask/LoadPreset";
    // The chosen preset as its last read showed it, by setting; empty until
    // it has been read.
    SettingValues presetPreview() const;

    // NamedPortsView: the memory locations and rows by name; the unit's
    // own name in its row comes from `unitName`.
    void ShowNames(const UnitNames& names) override;
    std::optional<NamedPort> PortOf(const QObject* widget) const override;
    QList<QWidget*> NameTargets() const override;
    // The unit's name is edited over its row's Name cell, below the header.
    QRect NameArea(const QWidget* widget) override;
    void setUnitNames(std::function<QString(const QRDSTA&)> unitName) {
        unitName_ = std::move(unitName);
    }

    // The options dialog was cancelled with the port closed: no unit is
    // reachable, so the list and the locations go (the caller then runs
    // Enable_QRD(false)).
    void ClearForClosedPort();

    // The row of a unit by its key (UnitKey), or none.
    QTreeWidgetItem* FindUnitRow(const QString& key) const { return unitRows_.value(key); }
    // A row listed from the units last seen, its unit not answered yet.
    static bool IsLastSeen(const QTreeWidgetItem* row);
    QTreeWidget* lstQRD() const { return lstQRD_; }
    QGroupBox* fraMemory() const { return fraMemory_; }
    QComboBox* cboMemoryLOC() const { return cboMemoryLOC_; }
    const MemoryRowList& lstMemory() const { return *lstMemory_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A new row in the order of the IDs, whatever the order units answer in.
    QTreeWidgetItem* AddUnitRow(const UnitRow& texts);
    QWidget* BuildMemoryFrame();
    // False when the click was ignored (list disabled, unknown row).
    bool lstQRD_ItemClick(QTreeWidgetItem* item);
    void lstQRD_KeyMove(QTreeWidgetItem* item);
    void cboMemoryLOC_Click();
    void cmdSave_Click();
    void cmdLoad_Click();
    void SelectLocation(int index);
    // True when the operator agreed, or is not to be asked.
    // True, with the reason told, when the window may not do this now.
    bool Refused(Change::Kind kind, int location);
    bool Confirmed(const char* key, const QString& text, const QString& details,
                   const QString& yesCaption);
    QString PresetLabel(int location) const;

    QuadrelCore& core_;
    Views& views_;
    UnitList* lstQRD_ = nullptr;
    // A read started from the list while it had the keyboard: the list takes
    // the focus back when it is enabled again, unless the operator moved it.
    bool refocusList_ = false;
    QPointer<QWidget> focusWhileRead_;
    QHash<QString, QTreeWidgetItem*> unitRows_;
    UnitNames names_;
    std::function<QString(const QRDSTA&)> unitName_;
    QGroupBox* fraMemory_ = nullptr;
    QLabel* lblLocation_ = nullptr;
    QComboBox* cboMemoryLOC_ = nullptr;
    QPushButton* cmdSave_ = nullptr;
    QPushButton* cmdLoad_ = nullptr;
    MemoryRowList* lstMemory_ = nullptr;
    MessageBoxes* messages_ = nullptr;
    ProgramState* state_ = nullptr;
};

} // namespace quadrel
