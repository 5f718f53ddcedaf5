// Figures of the switch page on a 255 by 255 unit, offscreen:
//  - a full redraw of the view (cells, captions, plugs), with and without
//    painting it;
//  - one scroll step of the input scroll bar, painted;
//  - taking a route reply of 127 pairs from the line to the drawn cells,
//    against the time those bytes take on the wire at 9600 baud.
#include "app/PagesRig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <cstdio>

using namespace quadrel;
using namespace quadrel::test;

namespace {

template <typename F> double MicrosPerRun(int runs, F&& f) {
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < runs; ++i) {
        f();
    }
    return static_cast<double>(t.nsecsElapsed()) / 1000.0 / runs;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    PagesRig r;
    UnitCaps caps;
    caps.plugs = true;
    r.Show(1, 255, 255, caps);
    r.sw.show();
    QApplication::processEvents();

    const double draw = MicrosPerRun(200, [&] { r.sw.Draw_SwitchView(); });
    const double drawPaint = MicrosPerRun(100, [&] {
        r.sw.Draw_SwitchView();
        r.sw.repaint();
    });
    auto* bar = r.sw.findChild<QScrollBar*>(QStringLiteral("scoSwitchInput"));
    int value = 0;
    const double scroll = MicrosPerRun(200, [&] {
        value = (value + 1) % (bar->maximum() + 1);
        bar->setValue(value);
        r.sw.repaint();
    });

    Bytes pairs;
    for (int o = 1; o <= 127; ++o) {
        pairs.push_back(static_cast<uint8_t>(o));
        pairs.push_back(static_cast<uint8_t>(1 + (o * 7) % 255));
    }
    int round = 0;
    const double reply = MicrosPerRun(200, [&] {
        // Alternate two route sets so that every pair moves every time.
        for (size_t i = 1; i < pairs.size(); i += 2) {
            pairs[i] = static_cast<uint8_t>(1 + (pairs[i] + (round % 2 ? 1 : 253)) % 255);
        }
        ++round;
        r.core.link.senders.CmdGetAudioSwitch(1, 0, 0, 1);
        r.Reply(pairs);
    });
    if (r.core.link.queue.iSendQueueCount() != 0 ||
        r.core.model.AudioOutputs[127].iInputPort != pairs[253]) {
        std::printf("route replies were not taken\n");
        return 1;
    }
    const double wireBytes = 1 + 1 + static_cast<double>(pairs.size()) + 1;
    const double wireMicros = wireBytes * 10.0 / 9600.0 * 1e6;

    std::printf("switch view, 255 x 255 unit\n");
    std::printf("  full redraw (model to pictures):   %8.1f us\n", draw);
    std::printf("  full redraw, painted:              %8.1f us\n", drawPaint);
    std::printf("  scroll step, painted:              %8.1f us\n", scroll);
    std::printf("  route reply of 127 pairs:          %8.1f us  (%.0f bytes on the wire: "
                "%.0f us at 9600 baud, ratio %.4f)\n",
                reply, wireBytes, wireMicros, reply / wireMicros);
    return 0;
}
