// A picture of the log window with the trace in words, its time stamps and
// the figures of each unit, on an emulated line with faults:
//   quadrel_log_shot docs/screenshots/log.png
#include "app/Language.h"
#include "link/VirtualClock.h"
#include "log/basLog.h"
#include "log/frmLog.h"
#include "model/QuadrelCore.h"
#include "model/ViewsHub.h"
#include "sim/SimSerialPort.h"

#include <QAction>
#include <QApplication>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <chrono>
#include <cstdio>

using namespace quadrel;
using namespace std::chrono_literals;

namespace {
// The line's time, as if the picture were taken one evening.
struct LineClock : LogClock {
    explicit LineClock(const VirtualClock& clock) : clock_(clock) {}
    QDateTime LocalNow() const override {
        return QDateTime(QDate(2026, 12, 8), QTime(21, 40, 12))
            .addMSecs(std::chrono::duration_cast<std::chrono::milliseconds>(clock_.now()).count());
    }
    const VirtualClock& clock_;
};
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: quadrel_log_shot FILE.png [LANGUAGE, e.g. zh_TW]\n");
        return 2;
    }
    Translations translations;
    if (argc == 3 && !translations.Install(QString::fromLatin1(argv[2]))) {
        std::fprintf(stderr, "quadrel_log_shot: no translation %s\n", argv[2]);
        return 2;
    }
    sim::LineConfig line;
    line.baud = 9600;
    line.seed = 3;
    line.faults.lost = 0.08;
    line.faults.corrupt = 0.05;
    line.faults.noise = 0.05;
    line.faults.outOfRange = 0.05;
    line.faults.split = 0.1;
    VirtualClock clock;
    sim::SimSerialPort port(clock, line);
    sim::UnitConfig unit;
    unit.id = 1;
    unit.name = "Main Hall";
    port.engine().addUnit(unit);
    port.open(200, QStringLiteral("9600,n,8,1"));

    LineClock lineClock(clock);
    basLog log(QString(), lineClock);
    ViewsHub views;
    QuadrelCore core(port, clock, log, views);
    frmLog form(log);
    form.mnuWords()->setChecked(true);
    form.mnuRun()->trigger();
    // A scan of the line, the one unit read through the faults, then a few
    // seconds of its poll.
    core.status.SetScanning(true);
    clock.advance(40s);
    log.FlushWords();

    form.resize(960, 560);
    form.show();
    form.FlushLines();
    QApplication::processEvents();
    QScrollBar* bar = form.txtLog()->verticalScrollBar();
    bar->setValue(bar->maximum());
    QApplication::processEvents();
    return form.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
