// Whatever lies where the settings file should be, start-up reads no port
// from it and asks for one; nothing is written unless the operator says OK.
#include "AppRig.h"
#include "DialogAnswers.h"

#include "app/frmMain.h"
#include "app/frmOptions.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;

namespace {

void WriteFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray Garbage(int size) {
    QByteArray g;
    uint32_t x = 2463534242u; // xorshift: the same bytes every run
    for (int i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        g.append(static_cast<char>(x & 0xFF));
    }
    return g;
}

} // namespace

TEST(SettingsFile, UnusableContentAsksForAPortAndCancelLeavesTheFileAlone) {
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"empty", QByteArray()},
        {"garbage", Garbage(4096)},
        {"garbage in the group", "[COM]\n" + Garbage(600) + "\nPORT%20NUMBER=\x01\x02\n"},
        {"huge numbers", "[COM]\nPORT%20NUMBER=99999999999999999999999999\nBAUD%20RATE=1e400\n"},
        {"negative numbers", "[COM]\nPORT%20NUMBER=-3\nBAUD%20RATE=-9600\n"},
        {"port zero, rate zero", "[COM]\nPORT%20NUMBER=0\nBAUD%20RATE=0\n"},
        {"port past the last", "[COM]\nPORT%20NUMBER=256\nBAUD%20RATE=9600\n"},
        {"no group", "PORT%20NUMBER=3\nBAUD%20RATE=9600\n"},
        {"one endless line", QByteArray(2 * 1024 * 1024, 'x')},
    };
    for (const auto& [name, content] : cases) {
        SCOPED_TRACE(name);
        AppRig rig;
        rig.AddPort(3);
        WriteFile(rig.settingsFile(), content);
        DialogAnswers answers;
        answers.Add([](frmOptions& d) {
            EXPECT_EQ(d.cboPortNumber()->currentText(), "COM3");
            EXPECT_EQ(d.cboBaudRate()->currentText(), "9600");
            d.cmdCancel()->click();
        });
        EXPECT_FALSE(rig.program().Main());
        EXPECT_EQ(answers.shown(), 1);
        EXPECT_FALSE(rig.fake.isOpen());
        EXPECT_EQ(ReadFile(rig.settingsFile()), content);
    }
}

TEST(SettingsFile, FolderInItsPlaceIsAskedAroundAndTheProgramRunsOn) {
    AppRig rig;
    rig.AddPort(3);
    ASSERT_TRUE(QDir().mkpath(rig.settingsFile()));
    DialogAnswers answers;
    answers.Add([](frmOptions& d) { d.cmdOK()->click(); });
    ASSERT_TRUE(rig.program().Main());
    EXPECT_EQ(answers.shown(), 1);
    // The choice cannot be kept, but it is used: the port is open and the
    // folder is left as it was.
    EXPECT_TRUE(rig.fake.isOpen());
    EXPECT_EQ(rig.fake.portNumber(), 3);
    EXPECT_TRUE(QFileInfo(rig.settingsFile()).isDir());
    EXPECT_TRUE(rig.program().mainWindow()->isVisible());
}
