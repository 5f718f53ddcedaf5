// The window's lock: the password set in Options and kept only as a hash,
// Lock and Unlock with their waits in virtual time, and a damaged roles file.
#include "AppRig.h"
#include "app/RolesPage.h"
#include "app/WindowLock.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;
using Result = service::UnlockGuard::Result;

TEST(WindowLock, PasswordFromOptionsLocksUnlocksAndStartsLocked) {
    const QString password = QStringLiteral("Copper kettle 12");
    AppRig rig;
    rig.StorePort(3);
    DialogAnswers answers;
    answers.Add([&](frmOptions& dialog) {
        auto* page = dialog.findChild<RolesPage*>();
        ASSERT_NE(page, nullptr);
        page->txtPassword()->setText(password);
        page->txtRepeat()->setText(password + "x");
        dialog.cmdOK()->click(); // two passwords that differ: said, and kept open
        EXPECT_TRUE(dialog.isVisible());
        page->txtPassword()->setText(password);
        page->txtRepeat()->setText(password);
        page->chkStartLocked()->setChecked(true);
        dialog.cmdOK()->click();
    });
    basMain& program = rig.program();
    ASSERT_TRUE(program.Main());
    frmMain* form = program.mainWindow();
    WindowLock* lock = program.lock();
    QuadrelCore& core = program.core();

    // No password yet: locking would shut the technician out.
    EXPECT_FALSE(lock->Lock());
    EXPECT_TRUE(core.activity.Text().startsWith("Not locked: set the technician's password"));
    form->cmdOptions()->click();
    ASSERT_EQ(answers.shown(), 1);
    EXPECT_EQ(rig.messages.texts,
              QStringList{"The two passwords differ. Type the new password twice."});
    const QByteArray file = ReadAll(rig.rolesFile());
    EXPECT_TRUE(file.contains("pbkdf2-sha256"));
    EXPECT_FALSE(file.contains(password.toUtf8()));
    EXPECT_FALSE(ReadAll(rig.settingsFile()).contains(password.toUtf8()));
    EXPECT_FALSE(lock->locked()); // starting locked is for the next start

    ASSERT_TRUE(lock->Lock());
    EXPECT_FALSE(form->cmdOptions()->isEnabled());
    form->cmdOptions()->setEnabled(true); // as the window enables its controls after a scan
    EXPECT_FALSE(form->cmdOptions()->isEnabled());
    EXPECT_FALSE(lock->actLock()->isEnabled());
    form->cmdOptions_Click(); // as its key would, were it enabled
    EXPECT_EQ(answers.shown(), 1);
    EXPECT_EQ(core.activity.Text(), "Locked: only the technician may open Options");

    // Wrong: refused; the right one once the wait, on the program's clock, is over.
    EXPECT_EQ(lock->Unlock("copper kettle 12"), Result::Refused);
    EXPECT_EQ(lock->Unlock(password), Result::Waiting);
    rig.time.advance(1s);
    EXPECT_EQ(lock->Unlock(password), Result::Accepted);
    EXPECT_FALSE(lock->locked());
    EXPECT_TRUE(form->cmdOptions()->isEnabled());
    EXPECT_TRUE(core.history.NextStep(true).isEmpty());

    rig.EndProgram();
    ASSERT_TRUE(rig.program().Main());
    EXPECT_TRUE(rig.program().lock()->locked());
    EXPECT_TRUE(rig.program().lock()->banner()->isVisibleTo(rig.program().mainWindow()));
}

// A roles file that cannot be used locks the window safe: no password opens
// it, Options stay shut, and the banner says how to start again.
TEST(WindowLock, DamagedRolesFileLocksSafe) {
    AppRig rig;
    rig.StorePort(3);
    ASSERT_TRUE(
        WriteAll(rig.rolesFile(),
                 R"({"format": "quadrel-roles", "version": 1, "password": {"kdf": "md5"}})"));
    basMain& program = rig.program();
    ASSERT_TRUE(program.Main());
    WindowLock* lock = program.lock();
    EXPECT_TRUE(lock->locked());
    EXPECT_FALSE(lock->actUnlock()->isEnabled());
    EXPECT_TRUE(lock->banner()->text().contains("delete the file as the user who runs Quadrel"));
    EXPECT_EQ(lock->Unlock(QString()), Result::Refused);
    EXPECT_FALSE(program.mainWindow()->cmdOptions()->isEnabled());
    EXPECT_FALSE(program.mainWindow()->cmdRestoreSettings()->isEnabled());
}
