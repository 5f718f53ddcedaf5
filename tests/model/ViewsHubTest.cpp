#include "model/ViewsHub.h"
#include "support/NullViewParts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quadrel;
using namespace quadrel::test;

namespace {

// One spy on all four areas, writing down which part ran, in order.
struct Spy : NullSwitchView, NullAudioView, NullVideoView, NullUnitPane {
    std::vector<std::string> order;
    void Setup_SwitchView() override { order.push_back("switch layout"); }
    void Enable_SwitchControl(bool) override { order.push_back("switch enable"); }
    void Setup_AudioOutputScroll() override { order.push_back("audio layout"); }
    void Enable_AudioControl(bool) override { order.push_back("audio enable"); }
    void Setup_VideoInputScroll() override { order.push_back("video layout"); }
    void Enable_VideoControl(bool) override { order.push_back("video enable"); }
    void Enable_lstQRD(bool) override { order.push_back("list enable"); }
    void Enable_fraMemory(bool) override { order.push_back("memory enable"); }
};

} // namespace

TEST(ViewsHub, SpanningRoutinesRunTheirPartsInOrder) {
    Spy spy;
    NullFrame frame;
    ViewsHub hub(spy, spy, spy, spy, frame);
    hub.Setup_AllViews();
    hub.Enable_QRD(true);
    EXPECT_EQ(spy.order, (std::vector<std::string>{"switch layout", "audio layout", "video layout",
                                                   "list enable", "switch enable", "audio enable",
                                                   "video enable", "memory enable"}));
    hub.RestartSelectedRedraw(AudioValue::Bass);
    EXPECT_TRUE(hub.IsSelectedRedrawRunning(AudioValue::Bass));
    EXPECT_FALSE(hub.IsSelectedRedrawRunning(AudioValue::Delay));
    hub.SetScanCaption("Stop S&can");
    EXPECT_EQ(frame.caption, "Stop S&can");
}
