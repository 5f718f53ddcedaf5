// quadrel-sim as a child process; its answers are what the e2e and ctl tests use.
#include "SimProcess.h"

#include <gtest/gtest.h>

namespace quadrel::test {
namespace {

using namespace std::chrono_literals;

struct Ended {
    int code = -1;
    QByteArray out, err;
};
// Another emulator in the same folders, which ends by itself.
Ended RunSim(const SimProcess& sim, const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(sim.env());
    p.start(QStringLiteral(QUADREL_SIM_PATH), args);
    EXPECT_TRUE(p.waitForFinished(5000)) << args.join(' ').toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

TEST(SimRun, ServesThePortUntilSigtermKeepsOthersOffAndEndsBadRunsWithAMessage) {
    SimProcess sim;
    const auto alias = [&](int port) {
        return sim.aliasDir() + QStringLiteral("/com%1").arg(port);
    };
    const auto isPty = [&](int port) {
        return QFileInfo(alias(port)).symLinkTarget().startsWith(QLatin1String("/dev/pts/"));
    };
    const auto serves = [&](int port) {
        return sim.Start(port, {}) && WaitFor([&] { return isPty(port); }, 5s);
    };
    const auto stopped = [&] { // cleanly
        sim.Stop();
        return sim.process().exitStatus() == QProcess::NormalExit && sim.process().exitCode() == 0;
    };

    // Bad options end with a message, not a crash.
    const Ended bad = RunSim(sim, {QStringLiteral("--frobnicate")});
    EXPECT_EQ(bad.code, 2);
    EXPECT_TRUE(bad.err.startsWith("quadrel-sim: "));
    EXPECT_FALSE(QFileInfo::exists(sim.aliasDir()));

    // A dangling alias is replaced.
    ASSERT_TRUE(QDir().mkpath(sim.aliasDir()));
    ASSERT_TRUE(QFile::link(sim.configDir() + QStringLiteral("/gone"), alias(201)));
    ASSERT_TRUE(serves(201));

    // A second emulator keeps off a served port, and off someone else's live device.
    const Ended second = RunSim(sim, {QStringLiteral("--port=201")});
    EXPECT_NE(second.code, 0);
    EXPECT_TRUE(second.err.contains("already served by another quadrel-sim"));
    EXPECT_TRUE(isPty(201));
    Pty other;
    ASSERT_TRUE(other.ok());
    ASSERT_TRUE(QFile::link(other.slavePath(), alias(203)));
    const Ended refused = RunSim(sim, {QStringLiteral("--port=203")});
    EXPECT_NE(refused.code, 0);
    EXPECT_TRUE(refused.err.contains("did not make"));
    EXPECT_EQ(QFileInfo(alias(203)).symLinkTarget(), other.slavePath());

    ASSERT_TRUE(stopped());
    EXPECT_FALSE(QFileInfo(alias(201)).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(alias(201) + QStringLiteral(".lock")));
    // The port is free again.
    ASSERT_TRUE(serves(201));
    EXPECT_TRUE(stopped());
}

} // namespace
} // namespace quadrel::test
