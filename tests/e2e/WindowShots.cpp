// Pictures of the main window on each page with quadrel-sim's demo line-up,
// for the README: quadrel_window_shots <folder>. Run it under xvfb-run (the
// scripts/screenshots.sh wrapper does) or with QT_QPA_PLATFORM=offscreen.
#include "SimProcess.h"
#include "app/QtMessageBoxes.h"
#include "app/RestoreDialog.h"
#include "app/UnitPane.h"
#include "app/UnitSettingsUi.h"
#include "app/basMain.h"
#include "app/frmMain.h"
#include "control/AudioOutputPanel.h"
#include "control/AudioPage.h"
#include "link/basCOMM.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimer.h"
#include "log/LogClock.h"

#include <QApplication>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
    // The real box, so its picture can be taken.
    Answer Ask(QWidget* parent, const Question& question) override {
        return QtMessageBoxes().Ask(parent, question);
    }
};

struct Clock : LogClock {
    QDateTime LocalNow() const override { return QDateTime::currentDateTime(); }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
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
    basMain program({comm, port, timers, messages, clock, sim.settingsFile(), sim.configDir(),
                     [&port] { return port.lastError(); }, sim.configDir() + "/state.ini"});
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
    const char* names[] = {"switch", "audio", "video"};
    for (int i = 0; i < tabs->count() && i < 3; ++i) {
        tabs->setCurrentIndex(i);
        WaitFor([] { return false; }, 200ms);
        const QString file = folder + QStringLiteral("/%1.png").arg(QLatin1String(names[i]));
        if (!program.mainWindow()->grab().save(file)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s\n", qPrintable(file));
    }

    {
        // The restore's list of differences: unit 1 saved, four values changed
        // on the line behind the file's back, then the file restored.
        UnitSettingsUi& settings = *program.unitSettings();
        settings.ask().yesNo = [](const QString&) { return false; };
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("main-hall.json"));
        settings.SaveTo(saved);
        WaitFor([&] { return !settings.job().Running(); }, 20s);
        CommandSenders& send = core.link.senders;
        send.CmdSetAudioSwitch(1, 3, 7, 0);
        send.CmdSetVolumnLevel(1, 2, 20, 0);
        send.CmdSetMute(1, 5, 1, 0);
        send.CmdSetEdidType(1, 4, 1, 0);
        WaitFor([&] { return core.link.queue.iSendQueueCount() == 0; }, 5s);
        bool shot = false;
        settings.ask().confirm = [&](const UnitSettingsJob::Outcome& prepared,
                                     const QString& path) {
            RestoreDialog dialog(prepared, path, program.mainWindow());
            dialog.show();
            WaitFor([] { return false; }, 300ms);
            const QString file = folder + QStringLiteral("/restore.png");
            shot = dialog.grab().save(file);
            std::printf("%s\n", qPrintable(file));
            return false;
        };
        settings.RestoreFrom(saved);
        WaitFor([&] { return shot; }, 20s);
        if (!shot) {
            std::fprintf(stderr, "no restore dialog to take\n");
            return 1;
        }
    }
    {
        // The question "&Load" asks once output 2 has been moved to input 3.
        tabs->setCurrentIndex(0);
        QTest::mouseClick(program.mainWindow()->findChild<QPushButton*>("chkSwitchInput_2"),
                          Qt::LeftButton);
        WaitFor([&] { return core.model.AudioOutputs[2].iInputPort == 3; }, 5s);
        WaitFor([] { return false; }, 500ms);
        const QString file = folder + QStringLiteral("/load-question.png");
        bool grabbed = false;
        bool seen = false;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, &app, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!seen && box != nullptr && box->isVisible()) {
                seen = true;
                // Once it is laid out and painted.
                QTimer::singleShot(300, box, [&grabbed, &file, box] {
                    grabbed = box->grab().save(file);
                    box->reject();
                });
            }
        });
        answer.start(20);
        program.unitPane()->findChild<QPushButton*>("cmdLoad")->click();
        answer.stop();
        if (!grabbed) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s\n", qPrintable(file));
    }
    return 0;
}
