#pragma once

#include "link/CommandCodes.h"
#include "model/QRDSTA.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace quadrel {

// The six values of an audio output that have their own redraw timer.
enum class AudioValue { Mute, Volumn, Bass, Treble, Subwoofer, Delay };

// Everything the core asks of the windows. Production: the main window;
// tests: a recording fake.
class Views {
public:
    virtual ~Views() = default;

    // Switch view
    virtual void Setup_AllViews() = 0;
    virtual void Draw_Crosspoint(int input, int output) = 0;
    virtual void Draw_InputPlug(SignalKind kind, int input) = 0;
    virtual void Draw_OutputPlug(SignalKind kind, int output) = 0;
    // Shift-selection anchors of the three views back to none.
    virtual void ResetSelectionAnchors() = 0;
    // Untick the three select-all boxes.
    virtual void UntickSelectAll() = 0;

    // Audio page
    virtual void Draw_AudioOutputMute(int output) = 0;
    virtual void Draw_AudioOutputVolumnLevel(int output) = 0;
    virtual void Draw_AudioOutputBassLevel(int output) = 0;
    virtual void Draw_AudioOutputTrebleLevel(int output) = 0;
    virtual void Draw_AudioOutputSubwooferLevel(int output) = 0;
    virtual void Draw_AudioOutputDelayTime(int output) = 0;
    // Stop and start the 500 ms redraw timer of the selected-outputs controls.
    virtual void RestartSelectedRedraw(AudioValue value) = 0;
    virtual bool IsSelectedRedrawRunning(AudioValue value) const = 0;
    virtual void Setup_SelectedDelayRange(int maxDelayTime, int delayUnit) = 0;

    // Video page
    virtual void Draw_VideoInput(int input) = 0;
    virtual void Draw_SelectedEdidType() = 0;

    // Unit pane
    virtual void Enable_QRD(bool enabled) = 0;
    virtual void Enable_lstQRD(bool enabled) = 0;
    virtual void Enable_fraMemory(bool enabled) = 0;
    // The row side of AddOrUpdateUnit: add or refresh the unit's row; the
    // first row becomes the list's selected row.
    virtual void ShowUnitRow(const QRDSTA& unit) = 0;
    virtual void SetUnitIcon(uint8_t id, bool answering) = 0; // "GreenON" / "RedON"
    virtual void SetUnitFirmwareText(uint8_t id, const QString& text) = 0;
    virtual void ClearUnitList() = 0;
    // A unit the last scan of this port found, listed before it answers:
    // its ID and the name it reported then, marked as last seen.
    virtual void ShowLastSeenRow(uint8_t id, const QString& name) = 0;
    // Removes the row of `id` (every row, for -1) while it is only last seen.
    virtual void DropLastSeenRows(int id) = 0;

    // Memory presets
    virtual void FillMemoryLocations() = 0;
    virtual void ClearMemoryLocations() = 0;
    // Item value of the entry selected in the location list, if any.
    virtual std::optional<int> SelectedMemoryLocation() const = 0;
    virtual int MemoryRowCount() const = 0;
    virtual void ClearMemoryRows() = 0;
    virtual void SetMemoryRowInput(SignalKind kind, int output, int input) = 0;
    virtual void SetMemoryRowMuteStatus(int output, bool supported, int mute) = 0;
    virtual void SetMemoryRowVolumnLevel(int output, bool supported, int level) = 0;
    virtual void SetMemoryRowBassLevel(int output, bool supported, int level) = 0;
    virtual void SetMemoryRowTrebleLevel(int output, bool supported, int level) = 0;
    virtual void SetMemoryRowSubwooferLevel(int output, bool supported, int level) = 0;
    virtual void SetMemoryRowDelayTime(int output, bool supported, int32_t delay) = 0;

    // Frame
    virtual void SetBusyPointer(bool busy) = 0; // hourglass or normal arrow
    virtual void SetScanCaption(const QString& caption) = 0;
};

} // namespace quadrel
