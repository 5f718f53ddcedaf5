#pragma once

#include "model/ViewParts.h"

namespace quadrel {

// Passes the core's video-page calls on to the page once it exists; see
// AudioViewRelay for why.
class VideoViewRelay : public VideoViewPart {
public:
    void setTarget(VideoViewPart* to) { to_ = to; }

    void Setup_VideoInputScroll() override { to_->Setup_VideoInputScroll(); }
    void Draw_VideoInput(int i) override { to_->Draw_VideoInput(i); }
    void Draw_SelectedEdidType() override { to_->Draw_SelectedEdidType(); }
    void Enable_VideoControl(bool on) override { to_->Enable_VideoControl(on); }
    void ResetVideoAnchor() override { to_->ResetVideoAnchor(); }
    void UntickSelAllVideoInput() override { to_->UntickSelAllVideoInput(); }

private:
    VideoViewPart* to_ = nullptr;
};

} // namespace quadrel
