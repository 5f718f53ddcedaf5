#include "model/ViewsHub.h"
#include "support/NullViewParts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quadrel;
using namespace quadrel::test;

namespace {

struct SwitchSpy : NullSwitchView {
    explicit SwitchSpy(std::vector<std::string>& order) : order(order) {}
    std::vector<std::string>& order;
    void Setup_SwitchView() override { order.push_back("switch layout"); }
    void Enable_SwitchControl(bool) override { order.push_back("switch enable"); }
};
struct AudioSpy : NullAudioView {
    explicit AudioSpy(std::vector<std::string>& order) : order(order) {}
    std::vector<std::string>& order;
    void Setup_AudioOutputScroll() override { order.push_back("audio layout"); }
    void Enable_AudioControl(bool) override { order.push_back("audio enable"); }
};
struct VideoSpy : NullVideoView {
    explicit VideoSpy(std::vector<std::string>& order) : order(order) {}
    std::vector<std::string>& order;
    void Setup_VideoInputScroll() override { order.push_back("video layout"); }
    void Enable_VideoControl(bool) override { order.push_back("video enable"); }
};
struct PaneSpy : NullUnitPane {
    explicit PaneSpy(std::vector<std::string>& order) : order(order) {}
    std::vector<std::string>& order;
    void Enable_lstQRD(bool) override { order.push_back("list enable"); }
    void Enable_fraMemory(bool) override { order.push_back("memory enable"); }
};

} // namespace

TEST(ViewsHub, SpanningRoutinesRunTheirPartsInOrder) {
    std::vector<std::string> order;
    SwitchSpy sw(order);
    AudioSpy audio(order);
    VideoSpy video(order);
    PaneSpy pane(order);
    NullFrame frame;
    ViewsHub hub(sw, audio, video, pane, frame);
    hub.Setup_AllViews();
    hub.Enable_QRD(true);
    EXPECT_EQ(order, (std::vector<std::string>{"switch layout", "audio layout", "video layout",
                                               "list enable", "switch enable", "audio enable",
                                               "video enable", "memory enable"}));
    hub.RestartSelectedRedraw(AudioValue::Bass);
    EXPECT_TRUE(hub.IsSelectedRedrawRunning(AudioValue::Bass));
    EXPECT_FALSE(hub.IsSelectedRedrawRunning(AudioValue::Delay));
    hub.SetScanCaption("Stop S&can");
    EXPECT_EQ(frame.caption, "Stop S&can");
}
