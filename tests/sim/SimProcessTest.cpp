// quadrel-sim as the operator runs it: a child process on a pseudo-terminal,
// its alias in a temporary config folder.
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

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

// Writes a request frame to the emulator's terminal and reads until
// `expected` bytes came or the deadline passed.
QByteArray Ask(const QString& device, const QByteArray& request, int expected) {
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return {};
    }
    struct termios raw {};
    ::tcgetattr(fd, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);
    QByteArray got;
    if (::write(fd, request.constData(), static_cast<size_t>(request.size())) == request.size()) {
        WaitFor(
            [&] {
                char buffer[256];
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n > 0) {
                    got.append(buffer, n);
                }
                return got.size() >= expected;
            },
            5s);
    }
    ::close(fd);
    return got;
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

    // Bad options end with a message, not a crash (the options tests name each).
    const QList<QStringList> cases = {{"--frobnicate"},
                                      {"--config", sim.configDir() + "/missing.conf"}};
    for (const QStringList& args : cases) {
        const Ended r = RunSim(sim, args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("quadrel-sim: "));
    }
    EXPECT_FALSE(QFileInfo::exists(sim.aliasDir()));
    const Ended help = RunSim(sim, {QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains("--faults KEYS"));

    // A dangling alias is replaced.
    ASSERT_TRUE(QDir().mkpath(sim.aliasDir()));
    ASSERT_TRUE(QFile::link(sim.configDir() + QStringLiteral("/gone"), alias(201)));
    ASSERT_TRUE(serves(201));
    EXPECT_EQ(Ask(alias(201), QByteArray::fromHex("2112023269"), 2), QByteArray::fromHex("81D2"));
    // The terminal stays usable after the program has gone and comes back.
    EXPECT_EQ(Ask(alias(201), QByteArray::fromHex("21130200C0"), 5).left(4),
              QByteArray::fromHex("81020232"));

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
    sim.Lines(); // the rest of the trace
    EXPECT_TRUE(sim.trace().contains("in   21 12 02 32 69  unit 1")) << sim.trace().toStdString();
    EXPECT_TRUE(sim.trace().contains("out  81 D2  unit 1")) << sim.trace().toStdString();
    // The port is free again.
    ASSERT_TRUE(serves(201));
    EXPECT_TRUE(stopped());
}

} // namespace
} // namespace quadrel::test
