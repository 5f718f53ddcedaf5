// Pictures of the main window with quadrel-sim's demo line-up, for the
// README. Run it under xvfb-run (scripts/screenshots.sh does, on screens of
// several sizes):
//   quadrel_window_shots <folder>            the window on each page, the
//                                            restore's differences, the Load
//                                            question, a 64x64 unit, a scan
//   quadrel_window_shots <folder> names      names made for another unit
//                                            offered, then used: the bar,
//                                            the switch and audio pages
//   quadrel_window_shots <folder> large <tag>
//                                            a 200x200 unit with names, each
//                                            page, the whole screen
//   quadrel_window_shots <folder> <name> <page> [dark]
//                                            the whole screen, <page> in front,
//                                            under a dark palette if asked
#include "SimProcess.h"
#include "app/CrosspointCell.h"
#include "app/PortNaming.h"
#include "app/QtMessageBoxes.h"
#include "app/RestoreDialog.h"
#include "app/SwitchGrid.h"
#include "app/SwitchView.h"
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
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <memory>

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

bool Save(QWidget* w, const QString& file) {
    if (!w->grab().save(file)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

// The program on an emulator started with `args` as port `port`.
struct Session {
    SimProcess sim;
    std::unique_ptr<basCOMM> comm;
    std::unique_ptr<QtSerialPort> port;
    QtTimerFactory timers;
    QuietMessages messages;
    Clock clock;
    std::unique_ptr<basMain> program;

    bool Start(int number, const QStringList& args) {
        if (!sim.WriteSettings(number, 9600) || !sim.Start(number, args)) {
            std::fprintf(stderr, "quadrel-sim did not start\n");
            return false;
        }
        PortFolders folders;
        folders.aliasDir = sim.aliasDir();
        comm = std::make_unique<basCOMM>(folders);
        port = std::make_unique<QtSerialPort>(*comm);
        // A fresh state file: the window as a first start places it.
        program = std::make_unique<basMain>(
            basMain::Environment{*comm, *port, timers, messages, clock, sim.settingsFile(),
                                 sim.configDir(), [this] { return port->lastError(); },
                                 sim.configDir() + "/state.ini", sim.configDir() + "/names.json"});
        return program->Main();
    }
    // The demo's first unit read in full, the other two found, then the scan
    // stopped: as an operator would have it after a minute.
    bool StartDemo(int number) {
        if (!Start(number, {"--demo"})) {
            return false;
        }
        QuadrelCore& core = program->core();
        WaitFor([&] { return core.model.objUnits().Count() == 3; }, 20s);
        program->mainWindow()->cmdScan()->click();
        WaitFor([&] { return !core.status.IsBusy(); }, 20s);
        return true;
    }
    ~Session() {
        program.reset();
        sim.Stop();
    }
};

// `single` names a picture of the whole screen with `singlePage` in front.
bool DemoShots(const QString& folder, const QString& single, const QString& singlePage) {
    Session s;
    if (!s.StartDemo(200)) {
        return false;
    }
    basMain& program = *s.program;
    QuadrelCore& core = program.core();
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
    if (!single.isEmpty()) {
        for (int i = 0; i < 3; ++i) {
            if (singlePage == QLatin1String(names[i])) {
                tabs->setCurrentIndex(i);
            }
        }
        WaitFor([] { return false; }, 300ms);
        // The whole screen, so the picture shows the window fitting it.
        const QString file = folder + QStringLiteral("/%1.png").arg(single);
        if (!QGuiApplication::primaryScreen()->grabWindow(0).save(file)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(file));
            return false;
        }
        std::printf("%s\n", qPrintable(file));
        return true;
    }
    for (int i = 0; i < tabs->count() && i < 3; ++i) {
        tabs->setCurrentIndex(i);
        WaitFor([] { return false; }, 200ms);
        if (!Save(program.mainWindow(),
                  folder + QStringLiteral("/%1.png").arg(QLatin1String(names[i])))) {
            return false;
        }
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
        settings.ask().confirm = [&](const UnitSettingsJob::Outcome& prepared, const QString& path,
                                     const std::vector<NameDifference>& names, bool&) {
            RestoreDialog dialog(prepared, path, names, program.mainWindow());
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
            return false;
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
        QObject::connect(&answer, &QTimer::timeout, program.mainWindow(), [&] {
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
            return false;
        }
        std::printf("%s\n", qPrintable(file));
    }
    return true;
}

// A 64x64 unit and a small one: the status line while the scan asks ID 12,
// then the switch page scrolled to input 50, output 40, where outputs 40 to 47
// take their video from inputs 50 to 57 and two take their audio elsewhere.
bool LargeUnitShots(const QString& folder) {
    Session s;
    if (!s.Start(201, {"--unit", "id=3,name=Arena 64x64,inputs=64,outputs=64", "--unit",
                       "id=9,name=Booth,inputs=8,outputs=8"})) {
        return false;
    }
    basMain& program = *s.program;
    QuadrelCore& core = program.core();
    frmMain* form = program.mainWindow();
    const bool asking12 = WaitFor(
        [&] {
            const SEND_PACKET& c = core.link.queue.CurrentCommand();
            return core.status.blScanning() && c.bCommand == 0x3F && c.bID == 12;
        },
        40s);
    WaitFor([] { return false; }, 100ms); // the status line follows
    std::printf("%s\n", qPrintable(form->lblActivity()->text()));
    if (!asking12 || !Save(form, folder + QStringLiteral("/scan.png"))) {
        return false;
    }
    form->cmdScan()->click();
    WaitFor([&] { return !core.status.IsBusy(); }, 20s);

    CommandSenders& send = core.link.senders;
    for (int o = 40; o <= 47; ++o) {
        const auto out = static_cast<uint8_t>(o);
        send.CmdSetVideoSwitch(3, out, static_cast<uint8_t>(o + 10), 0);
        const int audio = o == 42 ? 12 : o == 45 ? 0 : o + 10;
        send.CmdSetAudioSwitch(3, out, static_cast<uint8_t>(audio), 0);
    }
    send.CmdGetVideoSwitch(3, 0, 0, 1);
    send.CmdGetAudioSwitch(3, 0, 0, 1);
    WaitFor([&] { return core.model.AudioOutputs[47].iInputPort == 57; }, 10s);
    form->findChild<QScrollBar*>("scoSwitchInput")->setValue(49);
    form->findChild<QScrollBar*>("scoSwitchOutput")->setValue(39);
    if (const auto cell = program.switchView()->CellShowing(52, 42)) {
        program.switchView()->grid().cell(*cell)->setFocus();
    }
    WaitFor([] { return false; }, 300ms);
    return Save(form, folder + QStringLiteral("/switch-64x64.png"));
}

// The demo's first unit with names that were made for it when it reported
// itself as a smaller unit: the bar that offers them, then the switch and
// audio pages once they are used.
bool NamedShots(const QString& folder) {
    Session s;
    if (!s.StartDemo(202)) {
        return false;
    }
    basMain& program = *s.program;
    UnitNames names;
    names.unit = QStringLiteral("Main hall rack");
    const char* inputs[] = {"Lectern PC",   "Laptop (HDMI)", "Camera 1",    "Camera 2",
                            "Media player", "Wireless mic",  "Lectern mic", "Stage box"};
    const char* outputs[] = {"Projector left", "Projector right", "Confidence screen",
                             "Stream encoder", "Hall speakers",   "Foyer speakers",
                             "Recorder",       "Hearing loop"};
    for (int n = 1; n <= 8; ++n) {
        SetName(names, {NameKind::Input, n}, QString::fromUtf8(inputs[n - 1]));
        SetName(names, {NameKind::Output, n}, QString::fromUtf8(outputs[n - 1]));
    }
    SetName(names, {NameKind::Preset, 1}, QStringLiteral("Conference"));
    SetName(names, {NameKind::Preset, 2}, QStringLiteral("Evening concert"));
    program.names().SetNames({1, QStringLiteral("Main Hall 16x16"), 16, 16}, names);
    program.naming()->Refresh();
    WaitFor([] { return false; }, 300ms);
    frmMain* form = program.mainWindow();
    if (!Save(form, folder + QStringLiteral("/names-bar.png"))) {
        return false;
    }
    program.naming()->useButton()->click();
    QTest::mouseClick(form->findChild<QPushButton*>("chkSwitchOutput_1"), Qt::LeftButton);
    for (int i : {0, 1}) {
        QTest::mouseClick(program.audioPage()->picAudioOutput(i)->chkAudioOutput(), Qt::LeftButton,
                          i == 0 ? Qt::NoModifier : Qt::ControlModifier, QPoint(6, 8));
    }
    WaitFor([] { return false; }, 700ms);
    const char* pages[] = {"switch-names", "audio-names"};
    for (int i = 0; i < 2; ++i) {
        form->TabStrip1()->setCurrentIndex(i);
        WaitFor([] { return false; }, 200ms);
        if (!Save(form, folder + QStringLiteral("/%1.png").arg(QLatin1String(pages[i])))) {
            return false;
        }
    }
    return true;
}

// A 200 x 200 unit with names, as the window shows it on this screen: each
// page in front, the whole screen, as large-<tag>-<page>.png.
bool LargeNamedShots(const QString& folder, const QString& tag) {
    Session s;
    if (!s.Start(203, {"--unit", "id=1,name=Arena 200x200,inputs=200,outputs=200", "--unit",
                       "id=2,name=Booth,inputs=8,outputs=4"})) {
        return false;
    }
    basMain& program = *s.program;
    QuadrelCore& core = program.core();
    WaitFor([&] { return core.model.objUnits().Count() == 2; }, 60s);
    program.mainWindow()->cmdScan()->click();
    WaitFor([&] { return !core.status.IsBusy(); }, 60s);
    UnitNames names;
    names.unit = QStringLiteral("Arena rack");
    const char* sources[] = {"Lectern PC", "Laptop (HDMI)", "Camera 1",
                             "Camera 2",   "Media player",  "Wireless mic"};
    const char* sinks[] = {"Projector left", "Projector right", "Confidence screen",
                           "Stream encoder", "Hall speakers",   "Foyer speakers"};
    for (int n = 1; n <= 6; ++n) {
        SetName(names, {NameKind::Input, n}, QString::fromUtf8(sources[n - 1]));
        SetName(names, {NameKind::Output, n}, QString::fromUtf8(sinks[n - 1]));
    }
    program.naming()->UseNames(names);
    CommandSenders& send = core.link.senders;
    for (int o = 1; o <= 6; ++o) { // a few routes off the diagonal
        send.CmdSetVideoSwitch(1, static_cast<uint8_t>(o), static_cast<uint8_t>(7 - o), 0);
        send.CmdSetAudioSwitch(1, static_cast<uint8_t>(o), static_cast<uint8_t>(7 - o), 0);
    }
    send.CmdGetVideoSwitch(1, 0, 0, 1);
    send.CmdGetAudioSwitch(1, 0, 0, 1);
    WaitFor([&] { return core.model.AudioOutputs[6].iInputPort == 1; }, 20s);
    frmMain* form = program.mainWindow();
    QTest::mouseClick(form->findChild<QPushButton*>("chkSwitchOutput_1"), Qt::LeftButton);
    QTest::mouseClick(program.audioPage()->picAudioOutput(0)->chkAudioOutput(), Qt::LeftButton,
                      Qt::NoModifier, QPoint(6, 8));
    WaitFor([] { return false; }, 700ms);
    const char* pages[] = {"switch", "audio", "video"};
    for (int i = 0; i < 3; ++i) {
        form->TabStrip1()->setCurrentIndex(i);
        WaitFor([] { return false; }, 300ms);
        const QString file =
            folder + QStringLiteral("/large-%1-%2.png").arg(tag, QLatin1String(pages[i]));
        if (!QApplication::primaryScreen()->grabWindow(0).save(file)) {
            return false;
        }
        std::printf("%s\n", qPrintable(file));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const QString single = argc > 3 ? QString::fromLocal8Bit(argv[2]) : QString();
    const QString singlePage = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    if (argc > 4 && QLatin1String(argv[4]) == QLatin1String("dark")) {
        UseDarkPalette();
    }
    if (argc == 4 && QLatin1String(argv[2]) == QLatin1String("large")) {
        return LargeNamedShots(folder, QString::fromLocal8Bit(argv[3])) ? 0 : 1;
    }
    if (argc == 3 && QLatin1String(argv[2]) == QLatin1String("names")) {
        return NamedShots(folder) ? 0 : 1;
    }
    if (!single.isEmpty()) {
        return DemoShots(folder, single, singlePage) ? 0 : 1;
    }
    return DemoShots(folder, {}, {}) && LargeUnitShots(folder) ? 0 : 1;
}
