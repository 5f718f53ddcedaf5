// Appends 200,000 trace lines to the log window (offscreen, shown, repainted
// as it goes) and prints the time per line at the start and at the end of
// the run: a request and its reply, each a line, through the trace as the
// link reports them, and the window's batches. The trim keeps the text near
// 64 K characters, so the two figures should stay flat.
#include "log/basLog.h"
#include "log/frmLog.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

class NoClock : public quadrel::LogClock {
public:
    QDateTime LocalNow() const override { return {}; }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    NoClock clock;
    quadrel::basLog log(QString(), clock);
    quadrel::frmLog form(log);
    form.show();
    form.EnableLog(true);

    constexpr int kLines = 200000;
    constexpr int kWindow = 10000; // lines per measured stretch
    constexpr int kEventsEvery = 50;
    const quadrel::Bytes request{0x21, 0x13, 0x00, 0x00, 0x5A};
    const quadrel::Bytes reply{0x81, 0x08, 0x01, 0x32, 0x02, 0x32, 0x03, 0x32, 0x04, 0x32, 0x9C};
    quadrel::SEND_PACKET packet;
    packet.bID = 1;
    packet.bCommand = 0x13;
    packet.bData = {0, 0};
    packet.bFrame = request;

    std::printf("lines appended   us per line (last %d)   characters held\n", kWindow);
    QElapsedTimer clockRun;
    QElapsedTimer stretch;
    clockRun.start();
    stretch.start();
    double first = 0;
    double last = 0;
    for (int i = 1; i <= kLines; ++i) {
        if (i % 2 != 0) {
            log.LogRequest(packet);
            log.LogSend(request);
        } else {
            log.LogRecv(reply);
            log.LogAnswer(packet, reply);
        }
        if (i % kEventsEvery == 0) {
            form.FlushLines();
            QApplication::processEvents();
        }
        if (i % kWindow == 0) {
            const double us = static_cast<double>(stretch.nsecsElapsed()) / 1000.0 / kWindow;
            if (i == kWindow) {
                first = us;
            }
            last = us;
            std::printf("%14d   %22.2f   %15lld\n", i, us,
                        static_cast<long long>(log.txtLog().size()));
            stretch.restart();
        }
    }
    std::printf("start: %.2f us per line, end: %.2f us per line, end/start %.2f, total %.2f s\n",
                first, last, last / first, static_cast<double>(clockRun.elapsed()) / 1000.0);
    // Against the physical limit: the bytes of one line take this long on
    // the wire at the faster rate (10 bits per byte).
    const double bytesPerLine = (request.size() + reply.size()) / 2.0;
    const double wireUs = bytesPerLine * 10.0 / 19200.0 * 1e6;
    std::printf("wire time of a line at 19200 baud: %.0f us; the window takes %.2f %% of it at "
                "the end\n",
                wireUs, 100.0 * last / wireUs);
    return 0;
}
