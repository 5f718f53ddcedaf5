// quadrel-sim as the operator runs it: a child process on a pseudo-terminal,
// its alias in a temporary config folder.
#include "support/Pty.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace quadrel::sim::test {
namespace {

using namespace std::chrono_literals;
using quadrel::test::WaitFor;

class SimProcess : public ::testing::Test {
protected:
    QString aliasDir() const { return config_.path() + QStringLiteral("/Quadrel/ports"); }
    QString alias(int port) const { return aliasDir() + QStringLiteral("/com%1").arg(port); }

    std::unique_ptr<QProcess> start(const QStringList& args) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
        process->setProcessEnvironment(env);
        process->start(QStringLiteral(QUADREL_SIM_PATH), args);
        EXPECT_TRUE(process->waitForStarted(5000));
        return process;
    }
    bool aliasIsPty(int port) const {
        return QFileInfo(alias(port)).symLinkTarget().startsWith(QLatin1String("/dev/pts/"));
    }
    bool waitForAlias(int port) {
        return WaitFor([&] { return aliasIsPty(port); }, 5s);
    }
    static bool stop(QProcess& process) {
        process.terminate();
        return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QTemporaryDir config_;
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

TEST_F(SimProcess, ServesThePortUntilSigtermAndKeepsOthersOff) {
    auto first = start({QStringLiteral("--port=201"), QStringLiteral("--trace")});
    ASSERT_TRUE(waitForAlias(201));

    EXPECT_EQ(Ask(alias(201), QByteArray::fromHex("2112023269"), 2), QByteArray::fromHex("81D2"));
    // The terminal stays usable after the program has gone and comes back.
    EXPECT_EQ(Ask(alias(201), QByteArray::fromHex("21130200C0"), 5).left(4),
              QByteArray::fromHex("81020232"));

    auto second = start({QStringLiteral("--port=201")});
    ASSERT_TRUE(second->waitForFinished(5000));
    EXPECT_NE(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardError().contains("already served by another quadrel-sim"));
    EXPECT_TRUE(aliasIsPty(201)); // the first one's alias is untouched

    ASSERT_TRUE(stop(*first));
    EXPECT_FALSE(QFileInfo(alias(201)).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(alias(201) + QStringLiteral(".lock")));
    const QByteArray trace = first->readAllStandardOutput();
    EXPECT_TRUE(trace.contains("in   21 12 02 32 69  unit 1")) << trace.constData();
    EXPECT_TRUE(trace.contains("out  81 D2  unit 1")) << trace.constData();

    // The port is free again.
    auto third = start({QStringLiteral("--port=201")});
    ASSERT_TRUE(waitForAlias(201));
    EXPECT_TRUE(stop(*third));
}

TEST_F(SimProcess, ReplacesADanglingAliasButNotSomeoneElses) {
    ASSERT_TRUE(QDir().mkpath(aliasDir()));
    ASSERT_TRUE(QFile::link(config_.path() + QStringLiteral("/gone"), alias(202)));
    auto sim = start({QStringLiteral("--port=202")});
    ASSERT_TRUE(waitForAlias(202));
    EXPECT_TRUE(stop(*sim));

    quadrel::test::Pty other; // a device that is not ours and is alive
    ASSERT_TRUE(other.ok());
    ASSERT_TRUE(QFile::link(other.slavePath(), alias(203)));
    auto refused = start({QStringLiteral("--port=203")});
    ASSERT_TRUE(refused->waitForFinished(5000));
    EXPECT_NE(refused->exitCode(), 0);
    EXPECT_TRUE(refused->readAllStandardError().contains("did not make"));
    EXPECT_EQ(QFileInfo(alias(203)).symLinkTarget(), other.slavePath());
}

TEST_F(SimProcess, BadOptionsAndConfigEndWithAMessageNotACrash) {
    QFile bad(config_.path() + QStringLiteral("/bad.conf"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("[unit]\nid = 1\ninputs = 300\n");
    bad.close();
    const QList<QStringList> cases = {{"--port=0"},
                                      {"--baud", "fast"},
                                      {"--unit", "name=NoId"},
                                      {"--faults", "lost=2"},
                                      {"--config", bad.fileName()},
                                      {"--config", config_.path() + "/missing.conf"},
                                      {"--frobnicate"}};
    for (const QStringList& args : cases) {
        auto sim = start(args);
        ASSERT_TRUE(sim->waitForFinished(5000)) << args.join(' ').toStdString();
        EXPECT_EQ(sim->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(sim->exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(sim->readAllStandardError().startsWith("quadrel-sim: "));
    }
    EXPECT_FALSE(QFileInfo::exists(aliasDir()));

    auto help = start({QStringLiteral("--help")});
    ASSERT_TRUE(help->waitForFinished(5000));
    EXPECT_EQ(help->exitCode(), 0);
    EXPECT_TRUE(help->readAllStandardOutput().contains("--faults KEYS"));
}

} // namespace
} // namespace quadrel::sim::test
