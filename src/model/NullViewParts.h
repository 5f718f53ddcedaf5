#pragma once

#include "model/ViewParts.h"
#include "model/Views.h"

#include <QStringList>

#include <set>

namespace quadrel {

// View parts that draw nothing: what the core talks to before the windows
// exist, and stand-ins for the areas a test does not look at. The audio one
// keeps which redraw timers it was asked to run, as the poll reads them.
struct NullSwitchView : SwitchViewPart {
    void Setup_SwitchView() override {}
    void Draw_Crosspoint(int, int) override {}
    void Draw_InputPlug(SignalKind, int) override {}
    void Draw_OutputPlug(SignalKind, int) override {}
    void Enable_SwitchControl(bool) override {}
    void ResetSwitchAnchor() override {}
    void UntickSelAllSwitchOutput() override {}
};

struct NullAudioView : AudioViewPart {
    std::set<AudioValue> running;
    void Setup_AudioOutputScroll() override {}
    void Draw_AudioOutputMute(int) override {}
    void Draw_AudioOutputVolumnLevel(int) override {}
    void Draw_AudioOutputBassLevel(int) override {}
    void Draw_AudioOutputTrebleLevel(int) override {}
    void Draw_AudioOutputSubwooferLevel(int) override {}
    void Draw_AudioOutputDelayTime(int) override {}
    void RestartSelectedRedraw(AudioValue v) override { running.insert(v); }
    bool IsSelectedRedrawRunning(AudioValue v) const override { return running.count(v) != 0; }
    void Setup_SelectedDelayRange(int, int) override {}
    void Enable_AudioControl(bool) override {}
    void ResetAudioAnchor() override {}
    void UntickSelAllAudioOutput() override {}
};

struct NullVideoView : VideoViewPart {
    void Setup_VideoInputScroll() override {}
    void Draw_VideoInput(int) override {}
    void Draw_SelectedEdidType() override {}
    void Enable_VideoControl(bool) override {}
    void ResetVideoAnchor() override {}
    void UntickSelAllVideoInput() override {}
};

struct NullUnitPane : UnitPanePart {
    std::optional<int> location;
    void Enable_lstQRD(bool) override {}
    void Enable_fraMemory(bool) override {}
    void ShowUnitRow(const QRDSTA&) override {}
    void SetUnitIcon(uint8_t, bool) override {}
    void SetUnitFirmwareText(uint8_t, const QString&) override {}
    void ClearUnitList() override {}
    void FillMemoryLocations() override {}
    void ClearMemoryLocations() override { location.reset(); }
    std::optional<int> SelectedMemoryLocation() const override { return location; }
    int MemoryRowCount() const override { return 0; }
    void ClearMemoryRows() override {}
    void SetMemoryRowInput(SignalKind, int, int) override {}
    void SetMemoryRowMuteStatus(int, bool, int) override {}
    void SetMemoryRowVolumnLevel(int, bool, int) override {}
    void SetMemoryRowBassLevel(int, bool, int) override {}
    void SetMemoryRowTrebleLevel(int, bool, int) override {}
    void SetMemoryRowSubwooferLevel(int, bool, int) override {}
    void SetMemoryRowDelayTime(int, bool, int32_t) override {}
};

struct NullFrame : FramePart {
    bool busy = false;
    QString caption = QStringLiteral("S&can");
    void SetBusyPointer(bool on) override { busy = on; }
    void SetScanCaption(const QString& c) override { caption = c; }
    void TellRefusal(const QString& text) override { refusals << text; }
    QStringList refusals;
};

} // namespace quadrel
