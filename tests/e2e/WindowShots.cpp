// Pictures of the main window with quadrel-sim's demo line-up, for the
// README. Run it under xvfb-run (scripts/screenshots.sh does, on screens of
// several sizes):
//   quadrel_window_shots <folder>            the window on each page
//   quadrel_window_shots <folder> <name> <page> [dark]
//                                            the whole screen, <page> in front,
//                                            under a dark palette if asked
#include "SimProcess.h"
#include "app/basMain.h"
#include "app/frmMain.h"
#include "control/AudioOutputPanel.h"
#include "control/AudioPage.h"
#include "link/basCOMM.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimer.h"
#include "log/LogClock.h"

#include <QApplication>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>
#include <QTabBar>
#include <QTest>

#include <cstdio>

using namespace quadrel;
using namespace std::chrono_literals;
using quadrel::test::SimProcess;
using quadrel::test::WaitFor;

namespace {

struct QuietMessages : MessageBoxes {
    void MsgBox(QWidget*, const QString& text) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
};

struct Clock : LogClock {
    QDateTime LocalNow() const override { return QDateTime::currentDateTime(); }
};

// A dark desktop theme as many desktops ship it.
void UseDarkPalette() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette p;
    const QColor window(0x35, 0x35, 0x35);
    const QColor base(0x2a, 0x2a, 0x2a);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, Qt::white);
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    p.setColor(QPalette::HighlightedText, Qt::white);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    }
    QApplication::setPalette(p);
}

const char* const kPages[] = {"switch", "audio", "video"};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const QString single = argc > 3 ? QString::fromLocal8Bit(argv[2]) : QString();
    const QString singlePage = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    if (argc > 4 && QLatin1String(argv[4]) == QLatin1String("dark")) {
        UseDarkPalette();
    }
    SimProcess sim;
    if (!sim.WriteSettings(200, 9600) || !sim.Start(200, {"--demo"})) {
        std::fprintf(stderr, "quadrel-sim did not start\n");
        return 1;
    }
    PortFolders folders;
    folders.aliasDir = sim.aliasDir();
    basCOMM comm(folders);
    QtSerialPort port(comm);
    QtTimerFactory timers;
    QuietMessages messages;
    Clock clock;
    // No state file: every shot shows the window as a first start places it.
    basMain program({comm, port, timers, messages, clock, sim.settingsFile(), sim.configDir(),
                     [&port] { return port.lastError(); }, QString()});
    if (!program.Main()) {
        return 1;
    }
    QuadrelCore& core = program.core();
    // The demo's first unit read in full, the other two found, then the scan
    // stopped: as an operator would have it after a minute.
    WaitFor([&] { return core.model.objUnits().Count() == 3; }, 20s);
    program.mainWindow()->cmdScan()->click();
    WaitFor([&] { return !core.status.IsBusy(); }, 20s);
    // Something to look at: a few outputs ticked on the switch and audio pages.
    QTest::mouseClick(program.mainWindow()->findChild<QPushButton*>("chkSwitchOutput_1"),
                      Qt::LeftButton);
    for (int i : {0, 1, 4}) {
        QTest::mouseClick(program.audioPage()->picAudioOutput(i)->chkAudioOutput(), Qt::LeftButton,
                          i == 0 ? Qt::NoModifier : Qt::ControlModifier, QPoint(6, 8));
    }
    WaitFor([] { return false; }, 700ms); // the group's redraw after its last answer

    QTabBar* tabs = program.mainWindow()->TabStrip1();
    if (!single.isEmpty()) {
        for (int i = 0; i < 3; ++i) {
            if (singlePage == QLatin1String(kPages[i])) {
                tabs->setCurrentIndex(i);
            }
        }
        WaitFor([] { return false; }, 300ms);
        // The whole screen, so the picture shows the window fitting it.
        const QString file = folder + QStringLiteral("/%1.png").arg(single);
        if (!QGuiApplication::primaryScreen()->grabWindow(0).save(file)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s\n", qPrintable(file));
        return 0;
    }
    for (int i = 0; i < tabs->count() && i < 3; ++i) {
        tabs->setCurrentIndex(i);
        WaitFor([] { return false; }, 200ms);
        const QString file = folder + QStringLiteral("/%1.png").arg(QLatin1String(kPages[i]));
        if (!program.mainWindow()->grab().save(file)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s\n", qPrintable(file));
    }
    return 0;
}
