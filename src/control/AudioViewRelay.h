#pragma once

#include "model/ViewParts.h"

namespace quadrel {

// Passes the core's audio-page calls on to the page once it exists. The
// views hub is made before the core and the core before the pages (they
// act on it), so the hub is given this relay and the relay the page.
class AudioViewRelay : public AudioViewPart {
public:
    void setTarget(AudioViewPart* to) { to_ = to; }

    void Setup_AudioOutputScroll() override { to_->Setup_AudioOutputScroll(); }
    void Draw_AudioOutputMute(int o) override { to_->Draw_AudioOutputMute(o); }
    void Draw_AudioOutputVolumnLevel(int o) override { to_->Draw_AudioOutputVolumnLevel(o); }
    void Draw_AudioOutputBassLevel(int o) override { to_->Draw_AudioOutputBassLevel(o); }
    void Draw_AudioOutputTrebleLevel(int o) override { to_->Draw_AudioOutputTrebleLevel(o); }
    void Draw_AudioOutputSubwooferLevel(int o) override { to_->Draw_AudioOutputSubwooferLevel(o); }
    void Draw_AudioOutputDelayTime(int o) override { to_->Draw_AudioOutputDelayTime(o); }
    void RestartSelectedRedraw(AudioValue v) override { to_->RestartSelectedRedraw(v); }
    bool IsSelectedRedrawRunning(AudioValue v) const override {
        return to_->IsSelectedRedrawRunning(v);
    }
    void Setup_SelectedDelayRange(int maxDelayTime, int delayUnit) override {
        to_->Setup_SelectedDelayRange(maxDelayTime, delayUnit);
    }
    void Enable_AudioControl(bool on) override { to_->Enable_AudioControl(on); }
    void ResetAudioAnchor() override { to_->ResetAudioAnchor(); }
    void UntickSelAllAudioOutput() override { to_->UntickSelAllAudioOutput(); }

private:
    AudioViewPart* to_ = nullptr;
};

} // namespace quadrel
