// The window locked for the staff, through the operator's own mouse and
// keyboard on the real window (xdotool on the test's virtual display),
// against quadrel-sim.
#include "ProgramOnSim.h"
#include "XHands.h"
#include "app/CrosspointCell.h"
#include "app/SwitchGrid.h"
#include "app/SwitchView.h"
#include "app/UnlockDialog.h"
#include "app/WindowLock.h"
#include "app/basMain.h"
#include "app/frmMain.h"
#include "link/CommandCodes.h"
#include "service/PasswordDigest.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace std::chrono_literals;
using namespace quadrel::test;

namespace {

const QString kPassword = QStringLiteral("Brass-lantern 47");

// Whether the program routed `output` on the line since `from`.
bool RoutedOutput(SimProcess& sim, qsizetype from, int output) {
    const QStringList settings = sim.SettingsSince(from);
    return std::any_of(settings.begin(), settings.end(), [&](const QString& r) {
        const int code = r.mid(3, 2).toInt(nullptr, 16);
        return (code == kCmdSetAudioSwitch || code == kCmdSetVideoSwitch) &&
               r.mid(6, 2).toInt(nullptr, 16) == output;
    });
}

bool AnyFileHolds(const QString& folder, const QByteArray& text) {
    QDirIterator files(folder, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile f(files.next());
        if (f.open(QIODevice::ReadOnly) && f.readAll().contains(text)) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(LockHands, StaffOutsideTheirOutputsSendNothingAndUnlockWaits) {
    SimProcess sim;
    ASSERT_TRUE(sim.WriteSettings(172, 19200));
    ASSERT_TRUE(sim.Start(172, {"--baud", "19200", "--unit", "id=0,inputs=8,outputs=8,name=Hall"}));
    RolesConfig roles;
    roles.password = service::PasswordDigest::Make(kPassword);
    roles.startLocked = true;
    roles.staff.outputs[0] = {1, 2};
    QString error;
    ASSERT_TRUE(RolesFile::Save(ProgramOnSim::rolesFile(sim), roles, error));

    ProgramOnSim rig(sim);
    ASSERT_TRUE(rig.StartAndStopScan()); // the rest of the line is empty
    basMain& program = *rig;
    QuadrelCore& core = rig.core();
    frmMain* window = program.mainWindow();
    WindowLock* lock = program.lock();
    window->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == window; }, 5s));
    SwitchView* sw = program.switchView();

    // Started locked: the banner says what the staff may do, and Options say why not.
    ASSERT_TRUE(lock->locked());
    EXPECT_TRUE(lock->banner()->isVisible());
    EXPECT_TRUE(lock->banner()->text().contains("unit 00 outputs 1-2"));
    EXPECT_EQ(window->cmdOptions()->toolTip(), "Locked: only the technician may open Options");
    auto* box5 = window->findChild<QPushButton*>("chkSwitchOutput_4");
    ASSERT_NE(box5, nullptr);
    EXPECT_FALSE(box5->isEnabled());
    const QString refused = QStringLiteral("Locked: output 5 is not among the staff's outputs");
    EXPECT_EQ(box5->toolTip(), refused);
    EXPECT_TRUE(window->findChild<QPushButton*>("chkSwitchOutput_1")->isEnabled());

    // The mouse on output 5's crosspoint: refused, said, and not on the line;
    // then output 1's goes, so the line had its chance.
    const qsizetype from = sim.Requests().size();
    ASSERT_TRUE(Hands(At(sw->grid().cell(*sw->CellShowing(3, 5)))));
    ASSERT_TRUE(WaitFor([&] { return core.activity.Text() == refused; }, 5s))
        << core.activity.Text().toStdString();
    ASSERT_TRUE(Hands(At(sw->grid().cell(*sw->CellShowing(3, 1)))));
    ASSERT_TRUE(WaitFor([&] { return core.model.AudioOutputs[1].iInputPort == 3; }, 10s));
    // The keyboard: down to output 5 from the cell that has the focus, Space.
    core.activity.Act(QString());
    ASSERT_TRUE(Hands({"key", "Down", "Down", "Down", "Down", "space"}));
    ASSERT_TRUE(WaitFor([&] { return core.activity.Text() == refused; }, 5s))
        << core.activity.Text().toStdString();
    EXPECT_EQ(QApplication::focusWidget()->accessibleName(), "input 3, output 5");
    // Options by its key letter: disabled, so nothing opens.
    ASSERT_TRUE(Hands({"key", "alt+o"}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(RoutedOutput(sim, from, 5));
    EXPECT_TRUE(RoutedOutput(sim, from, 1));

    // Unlock: a wrong password is refused and the next try waits; the dialog
    // takes no password until the wait has passed; then the right one.
    QElapsedTimer sinceWrong;
    qint64 waited = -1;
    int step = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, &driver, [&] {
        auto* dialog = qobject_cast<UnlockDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        if (step == 0 && QApplication::focusWidget() == dialog->txtPassword()) {
            step = 1;
            QProcess::startDetached("xdotool", {"type", "--delay", "20", "wrong one"});
        } else if (step == 1 && dialog->txtPassword()->text() == "wrong one") {
            step = 2;
            QProcess::startDetached("xdotool", {"key", "Return"});
        } else if (step == 2 && !dialog->cmdUnlock()->isEnabled()) {
            step = 3;
            sinceWrong.start();
        } else if (step == 3 && dialog->cmdUnlock()->isEnabled()) {
            step = 4;
            waited = sinceWrong.elapsed();
            QProcess::startDetached("xdotool", {"type", "--delay", "20", kPassword});
        } else if (step == 4 && dialog->txtPassword()->text() == kPassword) {
            step = 5;
            QProcess::startDetached("xdotool", {"key", "Return"});
        }
    });
    driver.start(20);
    ASSERT_TRUE(Hands({"key", "ctrl+shift+l"})); // returns once the dialog has closed

    ASSERT_TRUE(WaitFor([&] { return !lock->locked(); }, 20s)) << "step " << step;
    driver.stop();
    EXPECT_GE(waited, 900) << "the first wrong password waits a second";
    EXPECT_EQ(lock->guard().failures(), 0);
    EXPECT_FALSE(lock->banner()->isVisible());
    EXPECT_TRUE(box5->isEnabled());

    // The technician's click on output 5 goes.
    // Once the window has its new layout without the banner (the grid takes
    // the room, so its cells may stand for other crosspoints).
    QWidget* cell = nullptr;
    QPoint was;
    ASSERT_TRUE(WaitFor(
        [&] {
            QWidget* now = sw->grid().cell(*sw->CellShowing(4, 5));
            const QPoint at = now->mapToGlobal(QPoint());
            const bool still = now == cell && at == was;
            cell = now;
            was = at;
            return still && lock->banner()->isHidden();
        },
        5s));
    ASSERT_TRUE(Hands(At(cell)));
    ASSERT_TRUE(WaitFor([&] { return core.model.AudioOutputs[5].iInputPort == 4; }, 10s));

    // The password is nowhere in the files of the program (settings, roles,
    // names, log) nor in the line's trace.
    const QByteArray typed = kPassword.toUtf8();
    EXPECT_FALSE(AnyFileHolds(sim.configDir(), typed));
    EXPECT_FALSE(AnyFileHolds(sim.configDir(), "wrong one"));
    EXPECT_FALSE(sim.trace().contains(kPassword));
    EXPECT_TRUE(rig.messages().texts.isEmpty()) << rig.messages().texts.join('\n').toStdString();
}
