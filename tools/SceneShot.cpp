// A picture of the scene dialog, for the README: the real program on
// quadrel-sim with two units, named ports, a scene taken from both by "New
// scene from…", its dialog drawn as the operator sees it. Run it under
// xvfb-run:
//   quadrel_scene_shot <file.png> [zh_TW] [screen]
// With "screen" the whole screen is taken, the dialog over the window, to
// see both fit a small screen.
#include "SimProcess.h"
#include "app/Language.h"
#include "app/SceneCaptureDialog.h"
#include "app/SceneDialog.h"
#include "app/SceneUi.h"
#include "app/basMain.h"
#include "app/frmMain.h"
#include "link/basCOMM.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimer.h"
#include "log/LogClock.h"

#include <QApplication>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QScreen>
#include <QTableWidget>
#include <QTreeWidgetItem>

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
    Answer Ask(QWidget*, const Question&) override { return {}; }
};

struct Clock : LogClock {
    QDateTime LocalNow() const override { return QDateTime::currentDateTime(); }
};

UnitNames HallNames() {
    UnitNames names;
    names.unit = QStringLiteral("Main hall video");
    const char* inputs[] = {"Lectern PC", "Laptop (HDMI)", "Camera 1", "Media player"};
    const char* outputs[] = {"Projector left", "Projector right", "Confidence screen",
                             "Stream encoder"};
    for (int n = 1; n <= 4; ++n) {
        SetName(names, {NameKind::Input, n}, QString::fromUtf8(inputs[n - 1]));
        SetName(names, {NameKind::Output, n}, QString::fromUtf8(outputs[n - 1]));
    }
    SetName(names, {NameKind::Preset, 2}, QStringLiteral("Lecture"));
    return names;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString file = argc > 1 ? QString::fromLocal8Bit(argv[1]) : "scene-dialog.png";
    Translations translations;
    if (argc > 2 && QLatin1String(argv[2]) != QLatin1String("en") &&
        !translations.Install(QString::fromLatin1(argv[2]))) {
        std::fprintf(stderr, "quadrel_scene_shot: no translation %s\n", argv[2]);
        return 1;
    }
    const bool screen = argc > 3 && QLatin1String(argv[3]) == QLatin1String("screen");

    SimProcess sim;
    const int number = 203;
    if (!sim.WriteSettings(number, 9600) ||
        !sim.Start(number,
                   {"--unit", "id=1,name=Main Hall 8x4,inputs=8,outputs=4,memories=4", "--unit",
                    "id=2,name=Lounge Audio 8x4,inputs=8,outputs=4,sections=a,"
                    "bass=no,subwoofer=no,delay-step=10"})) {
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
    auto program = std::make_unique<basMain>(
        basMain::Environment{comm, port, timers, messages, clock, sim.settingsFile(),
                             sim.configDir(), [&port] { return port.lastError(); },
                             sim.configDir() + "/state.ini", sim.configDir() + "/names.json"});
    if (!program->Main()) {
        return 1;
    }
    QuadrelCore& core = program->core();
    WaitFor([&] { return core.model.objUnits().Count() == 2 && !core.status.IsBusy(); }, 30s);
    program->names().SetNames({1, QStringLiteral("Main Hall 8x4"), 8, 4, number}, HallNames());

    SceneUi& scenes = *program->scenes();
    scenes.setCaptureHook([](SceneCaptureDialog& d) {
        d.txtName()->setText(QStringLiteral("Lecture"));
        d.accept();
    });
    bool shot = false;
    scenes.setDialogHook([&](SceneDialog& d) {
        d.keyShortcut()->setKeySequence(QKeySequence(Qt::CTRL | Qt::Key_1));
        d.show();
        d.tblSettings()->selectRow(2);
        WaitFor([] { return false; }, 400ms);
        shot = screen ? QGuiApplication::primaryScreen()->grabWindow(0).save(file)
                      : d.grab().save(file);
        d.reject();
    });
    scenes.NewScene();
    WaitFor([&] { return shot; }, 60s);
    program.reset();
    sim.Stop();
    if (!shot) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
        return 1;
    }
    std::printf("%s\n", qPrintable(file));
    return 0;
}
