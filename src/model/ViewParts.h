#pragma once

#include "link/CommandCodes.h"
#include "model/QRDSTA.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace quadrel {

enum class AudioValue;

// The views the core draws on, split by the window area that owns them. The
// main window's ViewsHub puts them together into the one Views interface.

// The "Switch" page: crosspoint grid, input buttons, output boxes, plugs.
class SwitchViewPart {
public:
    virtual ~SwitchViewPart() = default;
    virtual void Setup_SwitchView() = 0;
    virtual void Draw_Crosspoint(int input, int output) = 0;
    virtual void Draw_InputPlug(SignalKind kind, int input) = 0;
    virtual void Draw_OutputPlug(SignalKind kind, int output) = 0;
    virtual void Enable_SwitchControl(bool enabled) = 0;
    virtual void ResetSwitchAnchor() = 0; // iLastSwitchOutput = -1
    virtual void UntickSelAllSwitchOutput() = 0;
};

// The "Audio" page: output panels and the selected-outputs controls.
class AudioViewPart {
public:
    virtual ~AudioViewPart() = default;
    virtual void Setup_AudioOutputScroll() = 0;
    virtual void Draw_AudioOutputMute(int output) = 0;
    virtual void Draw_AudioOutputVolumnLevel(int output) = 0;
    virtual void Draw_AudioOutputBassLevel(int output) = 0;
    virtual void Draw_AudioOutputTrebleLevel(int output) = 0;
    virtual void Draw_AudioOutputSubwooferLevel(int output) = 0;
    virtual void Draw_AudioOutputDelayTime(int output) = 0;
    virtual void RestartSelectedRedraw(AudioValue value) = 0;
    virtual bool IsSelectedRedrawRunning(AudioValue value) const = 0;
    virtual void Setup_SelectedDelayRange(int maxDelayTime, int delayUnit) = 0;
    virtual void Enable_AudioControl(bool enabled) = 0;
    virtual void ResetAudioAnchor() = 0; // iLastAudioOutput = -1
    virtual void UntickSelAllAudioOutput() = 0;
};

// The "Video" page: input panels and the selected-inputs EDID choice.
class VideoViewPart {
public:
    virtual ~VideoViewPart() = default;
    virtual void Setup_VideoInputScroll() = 0;
    virtual void Draw_VideoInput(int input) = 0;
    virtual void Draw_SelectedEdidType() = 0;
    virtual void Enable_VideoControl(bool enabled) = 0;
    virtual void ResetVideoAnchor() = 0; // iLastVideoInput = -1
    virtual void UntickSelAllVideoInput() = 0;
};

// The unit list and the memory presets with their rows.
class UnitPanePart {
public:
    virtual ~UnitPanePart() = default;
    virtual void Enable_lstQRD(bool enabled) = 0;
    virtual void Enable_fraMemory(bool enabled) = 0;
    virtual void ShowUnitRow(const QRDSTA& unit) = 0;
    virtual void SetUnitIcon(uint8_t id, bool answering) = 0;
    virtual void SetUnitFirmwareText(uint8_t id, const QString& text) = 0;
    virtual void ClearUnitList() = 0;
    virtual void ShowLastSeenRow(uint8_t /*id*/, const QString& /*name*/) {}
    virtual void DropLastSeenRows(int /*id*/) {}
    virtual void FillMemoryLocations() = 0;
    virtual void ClearMemoryLocations() = 0;
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
};

// The main window's frame: pointer and scan button.
class FramePart {
public:
    virtual ~FramePart() = default;
    virtual void SetBusyPointer(bool busy) = 0;
    virtual void SetScanCaption(const QString& caption) = 0;
    // The frame's own controls that act on the selected unit, with the rest.
    virtual void Enable_UnitSettings(bool /*enabled*/) {}
    // An operator's value that was refused and not sent, and why, in a
    // message of its own once the event that brought it has been handled.
    virtual void TellRefusal(const QString& /*text*/) {}
};

} // namespace quadrel
