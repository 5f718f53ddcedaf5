// quadrel-sim as the operator runs it: a child process on a pseudo-terminal,
// its alias in a temporary config folder.
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <memory>
#include <termios.h>
#include <unistd.h>

namespace quadrel::test {
namespace {

using namespace std::chrono_literals;

class SimRun : public ::testing::Test {
protected:
    QString Alias(int port) const { return sim_.aliasDir() + QStringLiteral("/com%1").arg(port); }
    bool AliasIsPty(int port) const {
        return QFileInfo(Alias(port)).symLinkTarget().startsWith(QLatin1String("/dev/pts/"));
    }
    bool Serves(int port) {
        return sim_.Start(port, {}) && WaitFor([&] { return AliasIsPty(port); }, 5s);
    }
    // Ends the emulator; true when it ended cleanly.
    bool Stopped() {
        sim_.Stop();
        return sim_.process().exitStatus() == QProcess::NormalExit &&
               sim_.process().exitCode() == 0;
    }
    // Another emulator in the same folders, which ends by itself.
    std::unique_ptr<QProcess> Ended(const QStringList& args) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(sim_.env());
        p->start(QStringLiteral(QUADREL_SIM_PATH), args);
        EXPECT_TRUE(p->waitForFinished(5000)) << args.join(' ').toStdString();
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        return p;
    }

    SimProcess sim_;
};

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

TEST_F(SimRun, ServesThePortUntilSigtermAndKeepsOthersOff) {
    ASSERT_TRUE(Serves(201));
    EXPECT_EQ(Ask(Alias(201), QByteArray::fromHex("2112023269"), 2), QByteArray::fromHex("81D2"));
    // The terminal stays usable after the program has gone and comes back.
    EXPECT_EQ(Ask(Alias(201), QByteArray::fromHex("21130200C0"), 5).left(4),
              QByteArray::fromHex("81020232"));

    const auto second = Ended({QStringLiteral("--port=201")});
    EXPECT_NE(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardError().contains("already served by another quadrel-sim"));
    EXPECT_TRUE(AliasIsPty(201)); // the first one's alias is untouched

    ASSERT_TRUE(Stopped());
    EXPECT_FALSE(QFileInfo(Alias(201)).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(Alias(201) + QStringLiteral(".lock")));
    sim_.Lines(); // the rest of the trace
    EXPECT_TRUE(sim_.trace().contains("in   21 12 02 32 69  unit 1")) << sim_.trace().toStdString();
    EXPECT_TRUE(sim_.trace().contains("out  81 D2  unit 1")) << sim_.trace().toStdString();

    // The port is free again.
    ASSERT_TRUE(Serves(201));
    EXPECT_TRUE(Stopped());
}

TEST_F(SimRun, ReplacesADanglingAliasButNotSomeoneElses) {
    ASSERT_TRUE(QDir().mkpath(sim_.aliasDir()));
    ASSERT_TRUE(QFile::link(sim_.configDir() + QStringLiteral("/gone"), Alias(202)));
    ASSERT_TRUE(Serves(202));
    EXPECT_TRUE(Stopped());

    Pty other; // a device that is not ours and is alive
    ASSERT_TRUE(other.ok());
    ASSERT_TRUE(QFile::link(other.slavePath(), Alias(203)));
    const auto refused = Ended({QStringLiteral("--port=203")});
    EXPECT_NE(refused->exitCode(), 0);
    EXPECT_TRUE(refused->readAllStandardError().contains("did not make"));
    EXPECT_EQ(QFileInfo(Alias(203)).symLinkTarget(), other.slavePath());
}

TEST_F(SimRun, BadOptionsAndConfigEndWithAMessageNotACrash) {
    QFile bad(sim_.configDir() + QStringLiteral("/bad.conf"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("[unit]\nid = 1\ninputs = 300\n");
    bad.close();
    const QList<QStringList> cases = {{"--port=0"},
                                      {"--baud", "fast"},
                                      {"--unit", "name=NoId"},
                                      {"--faults", "lost=2"},
                                      {"--config", bad.fileName()},
                                      {"--config", sim_.configDir() + "/missing.conf"},
                                      {"--frobnicate"}};
    for (const QStringList& args : cases) {
        const auto sim = Ended(args);
        EXPECT_EQ(sim->exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(sim->readAllStandardError().startsWith("quadrel-sim: "));
    }
    EXPECT_FALSE(QFileInfo::exists(sim_.aliasDir()));
    const auto help = Ended({QStringLiteral("--help")});
    EXPECT_EQ(help->exitCode(), 0);
    EXPECT_TRUE(help->readAllStandardOutput().contains("--faults KEYS"));
}

} // namespace
} // namespace quadrel::test
