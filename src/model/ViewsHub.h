#pragma once

#include "model/NullViewParts.h"
#include "model/ViewParts.h"
#include "model/Views.h"

#include <functional>

namespace quadrel {

// The one Views of the core, put together from the window areas that own
// each routine. The routines that span areas run them in their set order.
class ViewsHub : public Views {
public:
    // Until the windows exist the core draws on nothing.
    ViewsHub() = default;
    ViewsHub(SwitchViewPart& sw, AudioViewPart& audio, VideoViewPart& video, UnitPanePart& pane,
             FramePart& frame)
        : sw_(&sw), audio_(&audio), video_(&video), pane_(&pane), frame_(&frame) {}

    ViewsHub(const ViewsHub&) = delete;
    ViewsHub& operator=(const ViewsHub&) = delete;

    // Back to drawing on nothing, before the windows go.
    void Detach() {
        sw_ = &noSwitch_;
        audio_ = &noAudio_;
        video_ = &noVideo_;
        pane_ = &noPane_;
        frame_ = &noFrame_;
        onSetup_ = nullptr;
    }

    void setSwitchView(SwitchViewPart& part) { sw_ = &part; }
    void setAudioView(AudioViewPart& part) { audio_ = &part; }
    void setVideoView(VideoViewPart& part) { video_ = &part; }
    void setUnitPane(UnitPanePart& part) { pane_ = &part; }
    void setFrame(FramePart& part) { frame_ = &part; }

    // Told before each layout refresh: the selected unit may be another.
    void setOnSetup(std::function<void()> onSetup) { onSetup_ = std::move(onSetup); }

    // Switch, then audio, then video layout.
    void Setup_AllViews() override {
        if (onSetup_) {
            onSetup_();
        }
        sw_->Setup_SwitchView();
        audio_->Setup_AudioOutputScroll();
        video_->Setup_VideoInputScroll();
    }
    // The unit list, then every page's controls, then the memory frame, then
    // the frame's settings buttons.
    void Enable_QRD(bool on) override {
        pane_->Enable_lstQRD(on);
        sw_->Enable_SwitchControl(on);
        audio_->Enable_AudioControl(on);
        video_->Enable_VideoControl(on);
        pane_->Enable_fraMemory(on);
        frame_->Enable_UnitSettings(on);
    }
    void ResetSelectionAnchors() override {
        sw_->ResetSwitchAnchor();
        audio_->ResetAudioAnchor();
        video_->ResetVideoAnchor();
    }
    void UntickSelectAll() override {
        sw_->UntickSelAllSwitchOutput();
        audio_->UntickSelAllAudioOutput();
        video_->UntickSelAllVideoInput();
    }

    void Draw_Crosspoint(int i, int o) override { sw_->Draw_Crosspoint(i, o); }
    void Draw_InputPlug(SignalKind k, int i) override { sw_->Draw_InputPlug(k, i); }
    void Draw_OutputPlug(SignalKind k, int o) override { sw_->Draw_OutputPlug(k, o); }

    void Draw_AudioOutputMute(int o) override { audio_->Draw_AudioOutputMute(o); }
    void Draw_AudioOutputVolumnLevel(int o) override { audio_->Draw_AudioOutputVolumnLevel(o); }
    void Draw_AudioOutputBassLevel(int o) override { audio_->Draw_AudioOutputBassLevel(o); }
    void Draw_AudioOutputTrebleLevel(int o) override { audio_->Draw_AudioOutputTrebleLevel(o); }
    void Draw_AudioOutputSubwooferLevel(int o) override {
        audio_->Draw_AudioOutputSubwooferLevel(o);
    }
    void Draw_AudioOutputDelayTime(int o) override { audio_->Draw_AudioOutputDelayTime(o); }
    void RestartSelectedRedraw(AudioValue v) override { audio_->RestartSelectedRedraw(v); }
    bool IsSelectedRedrawRunning(AudioValue v) const override {
        return audio_->IsSelectedRedrawRunning(v);
    }
    void Setup_SelectedDelayRange(int maxTime, int unit) override {
        audio_->Setup_SelectedDelayRange(maxTime, unit);
    }

    void Draw_VideoInput(int i) override { video_->Draw_VideoInput(i); }
    void Draw_SelectedEdidType() override { video_->Draw_SelectedEdidType(); }

    void Enable_lstQRD(bool on) override { pane_->Enable_lstQRD(on); }
    void Enable_fraMemory(bool on) override { pane_->Enable_fraMemory(on); }
    void ShowUnitRow(const QRDSTA& unit) override { pane_->ShowUnitRow(unit); }
    void SetUnitIcon(uint8_t id, bool answering) override { pane_->SetUnitIcon(id, answering); }
    void SetUnitFirmwareText(uint8_t id, const QString& t) override {
        pane_->SetUnitFirmwareText(id, t);
    }
    void ClearUnitList() override { pane_->ClearUnitList(); }
    void FillMemoryLocations() override { pane_->FillMemoryLocations(); }
    void ClearMemoryLocations() override { pane_->ClearMemoryLocations(); }
    std::optional<int> SelectedMemoryLocation() const override {
        return pane_->SelectedMemoryLocation();
    }
    int MemoryRowCount() const override { return pane_->MemoryRowCount(); }
    void ClearMemoryRows() override { pane_->ClearMemoryRows(); }
    void SetMemoryRowInput(SignalKind k, int o, int i) override {
        pane_->SetMemoryRowInput(k, o, i);
    }
    void SetMemoryRowMuteStatus(int o, bool s, int m) override {
        pane_->SetMemoryRowMuteStatus(o, s, m);
    }
    void SetMemoryRowVolumnLevel(int o, bool s, int l) override {
        pane_->SetMemoryRowVolumnLevel(o, s, l);
    }
    void SetMemoryRowBassLevel(int o, bool s, int l) override {
        pane_->SetMemoryRowBassLevel(o, s, l);
    }
    void SetMemoryRowTrebleLevel(int o, bool s, int l) override {
        pane_->SetMemoryRowTrebleLevel(o, s, l);
    }
    void SetMemoryRowSubwooferLevel(int o, bool s, int l) override {
        pane_->SetMemoryRowSubwooferLevel(o, s, l);
    }
    void SetMemoryRowDelayTime(int o, bool s, int32_t d) override {
        pane_->SetMemoryRowDelayTime(o, s, d);
    }

    void SetBusyPointer(bool busy) override { frame_->SetBusyPointer(busy); }
    void SetScanCaption(const QString& caption) override { frame_->SetScanCaption(caption); }

private:
    NullSwitchView noSwitch_;
    NullAudioView noAudio_;
    NullVideoView noVideo_;
    NullUnitPane noPane_;
    NullFrame noFrame_;
    SwitchViewPart* sw_ = &noSwitch_;
    AudioViewPart* audio_ = &noAudio_;
    VideoViewPart* video_ = &noVideo_;
    UnitPanePart* pane_ = &noPane_;
    FramePart* frame_ = &noFrame_;
    std::function<void()> onSetup_;
};

} // namespace quadrel
