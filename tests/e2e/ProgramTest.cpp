// The shipped program against quadrel-sim on a pseudo-terminal: what goes
// over the line, read from the emulator's own trace. The line-up puts a unit
// at ID 0 so nothing waits out the silent IDs of a scan in real time.
#include "link/Bytes.h"
#include "link/basCRC8_Dallas_1_Wire.h"
#include "support/Pty.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>

using namespace std::chrono_literals;
using quadrel::test::WaitFor;

namespace {

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(config_.path()).mkpath(QStringLiteral("Quadrel"));
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    void TearDown() override {
        for (QProcess* p : {&app_, &sim_}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(5000)) {
                    p->kill();
                    p->waitForFinished(2000);
                }
            }
        }
    }

    void WriteSettings(int port, int baud) {
        QFile conf(config_.path() + QStringLiteral("/Quadrel/Quadrel.conf"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral("[COM]\nPORT%20NUMBER=%1\nBAUD%20RATE=%2\n")
                       .arg(port)
                       .arg(baud)
                       .toUtf8());
    }
    void StartSim(const QStringList& args) {
        sim_.setProcessEnvironment(env_);
        sim_.start(QStringLiteral(QUADREL_SIM_PATH), QStringList{"--trace"} + args);
        ASSERT_TRUE(sim_.waitForStarted(5000));
        const QString alias =
            config_.path() +
            QStringLiteral("/Quadrel/ports/com%1").arg(args.at(args.indexOf("--port") + 1));
        ASSERT_TRUE(WaitFor([&] { return QFileInfo(alias).isSymLink(); }, 5s));
    }
    void StartApp() {
        app_.setProcessEnvironment(env_);
        app_.start(QStringLiteral(QUADREL_APP_PATH), {});
        ASSERT_TRUE(app_.waitForStarted(5000));
    }
    // The frames the program wrote, as the emulator's trace shows them.
    QStringList Requests() {
        trace_ += QString::fromUtf8(sim_.readAllStandardOutput());
        QStringList out;
        static const QRegularExpression in(
            QStringLiteral("^\\s*[0-9.]+\\s+in\\s+([0-9A-F ]+?)\\s\\s"));
        for (const QString& line : trace_.split('\n')) {
            const auto m = in.match(line);
            if (m.hasMatch()) {
                out << m.captured(1).trimmed();
            }
        }
        return out;
    }
    bool WaitForRequest(const QString& frame, std::chrono::milliseconds limit) {
        return WaitFor([&] { return Requests().contains(frame); }, limit);
    }

    QTemporaryDir config_;
    QProcessEnvironment env_;
    QProcess sim_;
    QProcess app_;
    QString trace_;
};

// A request as the emulator's trace prints it.
QString Frame(uint8_t id, uint8_t code, uint8_t d0, uint8_t d1) {
    const quadrel::Bytes f = {static_cast<uint8_t>(0x20 | id), code, d0, d1};
    const uint8_t crc = quadrel::basCRC8_Dallas_1_Wire::CalculateCrc8(f, 4);
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(f[0], 2, 16, QLatin1Char('0'))
        .arg(f[1], 2, 16, QLatin1Char('0'))
        .arg(f[2], 2, 16, QLatin1Char('0'))
        .arg(f[3], 2, 16, QLatin1Char('0'))
        .arg(crc, 2, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace

TEST_F(Program, ScansTheLineAndReadsTheFirstUnitInStepOrder) {
    WriteSettings(150, 19200);
    StartSim({"--port", "150", "--baud", "19200", "--unit", "id=0,inputs=8,outputs=4,name=Stage",
              "--unit", "id=31,inputs=4,outputs=4"});
    StartApp();
    // The probe of ID 0, its extended information, then its status from the
    // switch maps to the EDID types.
    QStringList expected = {Frame(0, 0x3F, 0, 0), Frame(0, 0x3F, 1, 0)};
    for (uint8_t code : {0x08, 0x07, 0x31, 0x0A, 0x09, 0x0C, 0x0B, 0x11, 0x13, 0x15, 0x17, 0x19,
                         0x1D, 0x1F, 0x21}) {
        expected << Frame(0, code, 0, 0);
    }
    ASSERT_TRUE(WaitForRequest(expected.last(), 15s)) << trace_.toStdString();
    const QStringList seen = Requests();
    ASSERT_GE(seen.size(), expected.size());
    EXPECT_EQ(seen.mid(0, expected.size()), expected);
    // And then the scan goes on with ID 1.
    EXPECT_TRUE(WaitForRequest(Frame(1, 0x3F, 0, 0), 5s));
}

TEST_F(Program, EmulatorGoneMeansNoCrashAndNoSpin) {
    WriteSettings(151, 9600);
    StartSim({"--port", "151", "--unit", "id=0,inputs=4,outputs=4"});
    StartApp();
    ASSERT_TRUE(WaitForRequest(Frame(0, 0x3F, 0, 0), 15s));
    sim_.terminate();
    ASSERT_TRUE(sim_.waitForFinished(5000));
    // The program sees its port vanish and keeps running, quietly.
    EXPECT_FALSE(app_.waitForFinished(2000));
    EXPECT_EQ(app_.state(), QProcess::Running);
}
