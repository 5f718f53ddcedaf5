// The owner's doors under load and misuse: idle crowds, a client that never
// reads, where they listen; and the text protocol's conversation.
#include "DoorsFixture.h"

#include <QProcess>

#include <sys/resource.h>

namespace {

// A line from the text protocol, or empty at the deadline.
QByteArray Line(TcpClient& client, std::chrono::milliseconds limit = 10s) {
    return client.NextLine(limit).value_or(QByteArray());
}

TEST_F(Doors, AThousandIdleClientsGiveWayAndOneThatNeverReadsIsLetGo) {
    quadrel::remote::ApiServer::Config config;
    config.limits.idleMs = 1000;
    config.limits.maxUnread = 64 * 1024;
    QString reason;
    ASSERT_TRUE(server_->doors().api().Listen(config, reason)) << reason.toStdString();
    // A thousand clients and the doors' own ends in one process pass a soft
    // limit of 1,024 descriptors: raised to the hard limit, as a server's is.
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
    {
        std::vector<std::unique_ptr<TcpClient>> crowd;
        for (int i = 0; i < 1000; ++i) {
            crowd.push_back(std::make_unique<TcpClient>(api()));
        }
        // Accepted or turned away as they come, never more than the limit.
        WaitFor([&] { return server_->doors().api().connectionCount() >= 256; }, 10s);
        EXPECT_LE(server_->doors().api().connectionCount(), 256);
        const QByteArray answer = Ask(Get("/api/v1/units/0", tech_));
        EXPECT_TRUE(answer.startsWith("HTTP/1.1 200")) << answer.left(200).toStdString();
        // Idle ones are let go.
        EXPECT_TRUE(WaitFor([&] { return server_->doors().api().connectionCount() == 0; }, 10s));
    }

    // Asks and asks, and reads nothing: let go before the owner's memory
    // fills, while others are served.
    TcpClient hog(api(), 4096);
    QByteArray many;
    for (int i = 0; i < 200; ++i) {
        many += Get("/api/v1/units/0", tech_);
    }
    const int settings = Settings();
    bool dropped = false;
    for (int round = 0; round < 40 && !dropped; ++round) {
        dropped = !hog.Write(many) ||
                  WaitFor([&] { return server_->doors().api().connectionCount() == 0; }, 200ms);
    }
    EXPECT_TRUE(dropped);
    EXPECT_TRUE(Ask(Get("/api/v1/units", tech_)).startsWith("HTTP/1.1 200"));
    EXPECT_EQ(Settings(), settings);
}

TEST_F(Doors, ListenOnLoopbackOnly) {
    QProcess ss;
    ss.start("ss", {"-ltnH"});
    ASSERT_TRUE(ss.waitForFinished(10000));
    const QString out = QString::fromUtf8(ss.readAllStandardOutput());
    for (const quint16 port : {api(), text()}) {
        SCOPED_TRACE(port);
        const QString at = QStringLiteral(":%1 ").arg(port);
        EXPECT_TRUE(out.contains(QStringLiteral("127.0.0.1") + at)) << out.toStdString();
        EXPECT_FALSE(out.contains(QStringLiteral("0.0.0.0") + at));
        EXPECT_FALSE(out.contains(QStringLiteral("*") + at));
    }
}

TEST_F(Doors, TheTextProtocolAuthenticatesRoutesRefusesTheStaffAndNotifies) {
    TcpClient staff(text());
    staff.Write("route 0 --input 2 --outputs 1\n");
    EXPECT_EQ(Line(staff), "ERR 2 auth TOKEN comes first");
    staff.Write("auth " + staff_ + "\n");
    EXPECT_TRUE(Line(staff).startsWith("OK {"));
    const int settings = Settings();
    staff.Write("route 0 --input 3 --outputs 2\n");
    EXPECT_EQ(Line(staff), "ERR 2 Locked: output 2 is not among the staff's outputs");
    EXPECT_EQ(Settings(), settings);

    struct Case {
        const char* what;
        QByteArray line;
        const char* answer;
    };
    const std::vector<Case> cases = {
        {"an unclosed quote", "scene recall \"All\n", "ERR 2 a quote is not closed"},
        {"a file on the owner's machine", "save 0 /tmp/x.json\n", "ERR 2 files on the owner's"},
        {"another port", "--port 5 route 0 --input 1 --outputs 1\n", "ERR 2 the port"},
        {"not a command", "frobnicate\n", "ERR 2 unknown command"},
        {"a value past the unit's", "route 0 --input 9 --outputs 1\n", "ERR 7 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        staff.Write(c.line);
        EXPECT_TRUE(Line(staff).startsWith(c.answer));
    }
    EXPECT_EQ(Settings(), settings);

    staff.Write("subscribe\n");
    EXPECT_EQ(Line(staff), "OK subscribed");
    staff.Write("route 0 --input 4 --outputs 1\n");
    // The change is heard as an event once the unit takes it, and the
    // answer follows its read-back.
    QByteArrayList events;
    QByteArray done = Line(staff);
    for (; done.startsWith("EVENT "); done = Line(staff)) {
        events << done;
    }
    EXPECT_TRUE(done.startsWith("OK {\"outputs\":[{")) << done.toStdString();
    EXPECT_TRUE(events.join('\n').contains(R"(EVENT {"event":"output","output":{"audioInput":4)"))
        << events.join('\n').toStdString();
    // A client that did not subscribe hears none: its next answer is the
    // first line it gets. (It comes in now that the owner's scan, which the
    // first change waited for, is over: an idle client is let go.)
    TcpClient quiet(text());
    quiet.Write("auth " + staff_ + "\n");
    EXPECT_TRUE(Line(quiet).startsWith("OK {"));
    staff.Write("route 0 --input 3 --outputs 1\n");
    for (done = Line(staff); done.startsWith("EVENT "); done = Line(staff)) {
    }
    EXPECT_TRUE(done.startsWith("OK {")) << done.toStdString();
    quiet.Write("unsubscribe\n");
    EXPECT_EQ(Line(quiet), "OK unsubscribed");

    // Three wrong tokens, or a line past the limit, end the connection.
    TcpClient guesser(text());
    guesser.Write("auth a\nauth b\nauth c\n");
    EXPECT_TRUE(guesser.Ended(20s));
    TcpClient flood(text());
    flood.Write(QByteArray(20000, 'x'));
    EXPECT_TRUE(flood.Ended());
}

} // namespace
