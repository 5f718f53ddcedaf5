// Clients of the line's owner that break the protocol, its limits or its
// trust, against a real quadrel-server core on quadrel-sim: each is answered
// with an error or let go, and none of them sends a change down the line.
#include "remote/OwnerFixture.h"
#include "service/ServiceProtocol.h"
#include "support/SocketClient.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace std::chrono_literals;
using quadrel::test::SimProcess;
using quadrel::test::WaitFor;
namespace protocol = quadrel::service::protocol;

namespace {

constexpr int kPort = 161;

// A client of the owner's socket (see SocketClient) that speaks in JSON lines.
class Client : public quadrel::test::SocketClient {
public:
    explicit Client(const QString& path)
        : SocketClient(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(),
                    std::min<size_t>(name.size(), sizeof address.sun_path - 1));
        // A full backlog empties as the owner accepts.
        WaitFor(
            [&] {
                return ::connect(fd(), reinterpret_cast<const sockaddr*>(&address),
                                 sizeof address) == 0 ||
                       errno == EISCONN;
            },
            5s);
    }
    bool Ask(const QJsonObject& request) {
        return Write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    }
    // The next line from the owner, or none by the deadline or at its end.
    std::optional<QJsonObject> Next(std::chrono::milliseconds limit = 10s) {
        const auto line = NextLine(limit);
        return line ? std::optional(QJsonDocument::fromJson(*line).object()) : std::nullopt;
    }
    // The next line that is not progress or an event.
    std::optional<QJsonObject> Answer(std::chrono::milliseconds limit = 10s) {
        for (auto line = Next(limit); line; line = Next(limit)) {
            if (!line->contains("progress") && !line->contains("event")) {
                return line;
            }
        }
        return std::nullopt;
    }
};

QJsonObject Req(const char* command, qint64 id, const QStringList& args = {}) {
    QJsonObject r{{"quadrel", 1}, {"id", id}, {"command", command}};
    if (!args.isEmpty()) {
        r.insert("args", QJsonArray::fromStringList(args));
    }
    return r;
}

QByteArray LineOf(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

class Service : public quadrel::test::OwnerFixture {
protected:
    Service() : OwnerFixture(kPort) {}
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OwnerFixture::SetUp());
        ASSERT_NO_FATAL_FAILURE(StartOwner());
    }
    quadrel::service::LineService& service() { return server_->service(); }
    QString path() const { return protocol::SocketPath(kPort); }
};

TEST_F(Service, BadRequestsAreRefusedAndOnlyBrokenFramingEndsTheConnection) {
    const QByteArray pad(70 * 1024, 'x');
    QJsonObject noVersion = Req("hello", 3);
    noVersion.remove("quadrel");
    QJsonObject noCommand = Req("hello", 4);
    noCommand.remove("command");
    const auto with = [](QJsonObject o, const char* key, const QJsonValue& v) {
        o.insert(key, v);
        return o;
    };
    QStringList many;
    for (int i = 0; i <= protocol::kMaxArguments; ++i) {
        many << "0";
    }
    struct Case {
        const char* what;
        QByteArray line;
        bool dropped;  // let go after the answer
        qint64 id = 0; // the answer's id
        const char* says = "";
    };
    const std::vector<Case> cases = {
        {"oversized, with its line break", LineOf(with(Req("hello", 1), "pad", QString(pad))), true,
         0, "at most 65536 bytes"},
        {"oversized, no line break", pad, true, 0, "at most 65536 bytes"},
        {"not JSON", "{\"quadrel\": 1, \"id\": 2,\n", true},
        {"an array", "[1, 2]\n", false, 0, "JSON object"},
        {"no version", LineOf(noVersion), false, 3, "missing"},
        {"version 0", LineOf(with(Req("hello", 5), "quadrel", 0)), false, 5, "not spoken"},
        {"version 2", LineOf(with(Req("hello", 6), "quadrel", 2)), false, 6, "not spoken"},
        {"version as text", LineOf(with(Req("hello", 7), "quadrel", "1")), false, 7, "missing"},
        {"version 1.5", LineOf(with(Req("hello", 8), "quadrel", 1.5)), false, 8, "not spoken"},
        {"no command", LineOf(noCommand), false, 4, "command"},
        {"command not text", LineOf(with(Req("hello", 9), "command", 5)), false, 9, "command"},
        {"unknown command", LineOf(Req("frobnicate", 10)), false, 10, "unknown command"},
        {"args not a list", LineOf(with(Req("run", 11), "args", "show 0")), false, 11, "list"},
        {"args not texts", LineOf(with(Req("run", 12), "args", QJsonArray{"show", 0})), false, 12,
         "only texts"},
        {"too many args", LineOf(Req("run", 13, many)), false, 13, "at most 64"},
        {"overlong arg",
         LineOf(Req("run", 14, {"show", QString(protocol::kMaxArgumentLength + 1, '0')})), false,
         14, "at most 4096"},
        {"negative id", LineOf(Req("hello", -1)), false, 0, "\"id\""},
        {"fractional id", LineOf(with(Req("hello", 1), "id", 1.5)), false, 0, "\"id\""},
        {"bad arguments", LineOf(Req("run", 15, {"frobnicate"})), false, 15},
        {"a setting without a value", LineOf(Req("run", 16, {"set", "0", "--outputs", "1"})), false,
         16},
        {"help", LineOf(Req("run", 17, {"--help"})), false, 17, "answered by quadrel-ctl"},
        {"version", LineOf(Req("run", 18, {"--version"})), false, 18, "answered by quadrel-ctl"},
        {"another port",
         LineOf(Req("run", 19, {"--port", "99", "set", "0", "--outputs", "1", "--volume", "9"})),
         false, 19, "serves port 161"},
        {"a relative file", LineOf(Req("run", 20, {"restore", "0", "stage.json"})), false, 20,
         "whole path"},
    };
    const int settings = Settings();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Client client(path());
        // One let go may be so before all of it is written.
        EXPECT_TRUE(client.Write(c.line) || c.dropped);
        const auto answer = client.Answer();
        ASSERT_TRUE(answer);
        EXPECT_EQ((*answer)["status"].toInt(), 2);
        EXPECT_EQ((*answer)["id"].toInteger(), c.id);
        EXPECT_TRUE((*answer)["error"].toString().contains(c.says))
            << (*answer)["error"].toString().toStdString();
        if (c.dropped) {
            EXPECT_TRUE(client.Ended());
        } else {
            // Still served on the same connection.
            ASSERT_TRUE(client.Ask(Req("hello", 99)));
            const auto hello = client.Answer();
            ASSERT_TRUE(hello);
            EXPECT_EQ((*hello)["program"].toString(), "quadrel-server");
        }
    }
    // Half a request, then gone: nothing is taken from it.
    {
        Client client(path());
        ASSERT_TRUE(client.Write(R"({"quadrel": 1, "id": 1, "command": "run", "args": ["set")"));
        ASSERT_TRUE(WaitFor([&] { return service().clientCount() == 1; }, 5s));
    }
    EXPECT_TRUE(WaitFor([&] { return service().clientCount() == 0; }, 5s));
    EXPECT_EQ(Settings(), settings);
}

// A run waits on the owner's event loop, so here the owner is a process of
// its own: quadrel-server as shipped.
TEST_F(Service, RunsOneAtATimeAClientThatGoesHasItsRunCancelledAndSubscribersHear) {
    server_.reset();
    // A rate the units cannot run at is refused before the port is taken.
    QProcess refused;
    refused.start(QStringLiteral(QUADREL_SERVER_PATH),
                  {"--port", QString::number(kPort), "--baud", "4800"});
    ASSERT_TRUE(refused.waitForFinished(10'000));
    EXPECT_EQ(refused.exitCode(), 2);
    EXPECT_TRUE(refused.readAllStandardError().contains("baud rate 4800"));

    QProcess server;
    server.start(QStringLiteral(QUADREL_SERVER_PATH),
                 {"--port", QString::number(kPort), "--baud", "19200"});
    QString said;
    const auto says = [&](const QString& text, std::chrono::milliseconds limit = 10s) {
        return SimProcess::WaitToSay(server, said, text, limit);
    };
    // Runs wait for the owner's own scan of the line.
    ASSERT_TRUE(says("Scan ended", 60s)) << said.toStdString();

    // A scan of silent IDs takes half a minute: long enough to be interrupted.
    const QStringList slow = {"scan", "--ids", "8-31"};
    const QString probe = SimProcess::Frame(8, 0x3F, 0, 0);
    Client first(path());
    ASSERT_TRUE(first.Ask(Req("run", 1, slow)));
    ASSERT_TRUE(WaitFor([&] { return sim_.Requests().contains(probe); }, 10s));
    ASSERT_TRUE(first.Ask(Req("run", 2, {"show", "0"})));
    const auto second = first.Answer();
    ASSERT_TRUE(second);
    EXPECT_EQ((*second)["id"].toInteger(), 2);
    EXPECT_TRUE((*second)["error"].toString().contains("one run at a time"));
    ASSERT_TRUE(first.Ask(Req("cancel", 3)));
    std::map<qint64, QJsonObject> answers;
    for (int i = 0; i < 2; ++i) {
        const auto a = first.Answer(5s);
        ASSERT_TRUE(a);
        answers[(*a)["id"].toInteger()] = *a;
    }
    EXPECT_TRUE(answers[3]["cancelled"].toBool());
    EXPECT_TRUE(answers[1].contains("status"));

    // Gone mid-run: its run ends, and the next client's is on the line long
    // before the scan would have ended.
    {
        const qsizetype probes = sim_.Requests().count(probe);
        Client leaving(path());
        ASSERT_TRUE(leaving.Ask(Req("run", 1, slow)));
        ASSERT_TRUE(WaitFor([&] { return sim_.Requests().count(probe) > probes; }, 10s));
    }
    Client listener(path());
    ASSERT_TRUE(listener.Ask(Req("hello", 1)));
    const auto hello = listener.Answer();
    ASSERT_TRUE(hello);
    EXPECT_EQ((*hello)["port"].toInt(), kPort);
    EXPECT_EQ((*hello)["pid"].toInteger(), server.processId());
    ASSERT_TRUE(listener.Ask(Req("subscribe", 2)));
    const auto subscribed = listener.Answer();
    ASSERT_TRUE(subscribed);
    EXPECT_TRUE((*subscribed)["subscribed"].toBool());

    const int settings = Settings();
    Client next(path());
    ASSERT_TRUE(next.Ask(Req("run", 7, {"set", "0", "--outputs", "2", "--volume", "33"})));
    const auto done = next.Answer(5s);
    ASSERT_TRUE(done) << said.toStdString();
    EXPECT_EQ((*done)["status"].toInt(), 0) << (*done)["message"].toString().toStdString();
    EXPECT_EQ((*done)["id"].toInteger(), 7);
    EXPECT_EQ(Settings(), settings + 1);
    bool heard = false;
    for (auto event = listener.Next(5s); event && !heard; event = listener.Next(5s)) {
        const QJsonObject output = (*event)["output"].toObject();
        heard = (*event)["event"] == "output" && (*event)["unit"] == 0 && output["output"] == 2 &&
                output["volume"] == 33;
    }
    EXPECT_TRUE(heard);
    EXPECT_TRUE(says("quadrel-ctl: unit 00: set output 2")) << said.toStdString();
    EXPECT_EQ(said.count("quadrel-ctl: scan"), 2) << said.toStdString();
    SimProcess::End(server);
}

TEST_F(Service, CountTimeAndMemoryAreBounded) {
    const int settings = Settings();
    // 100 at once: the first 64 are served, the rest told so and let go.
    {
        std::vector<std::unique_ptr<Client>> clients;
        for (int i = 0; i < 100; ++i) {
            clients.push_back(std::make_unique<Client>(path()));
            ASSERT_TRUE(WaitFor(
                [&] { return service().clientCount() == std::min(i + 1, protocol::kMaxClients); },
                5s));
        }
        for (int i = 0; i < 100; ++i) {
            SCOPED_TRACE(i);
            Client& c = *clients[i];
            if (i < protocol::kMaxClients) {
                ASSERT_TRUE(c.Ask(Req("hello", i)));
                const auto a = c.Answer();
                ASSERT_TRUE(a);
                EXPECT_EQ((*a)["id"].toInteger(), i);
                EXPECT_EQ((*a)["program"].toString(), "quadrel-server");
            } else {
                const auto a = c.Answer();
                ASSERT_TRUE(a);
                EXPECT_TRUE((*a)["error"].toString().contains("64 clients"));
                EXPECT_TRUE(c.Ended());
            }
        }
    }
    ASSERT_TRUE(WaitFor([&] { return service().clientCount() == 0; }, 5s));

    // Idle without a run or a subscription: let go after the limit, not before.
    service().setIdleLimit(300ms);
    QElapsedTimer clock;
    clock.start();
    Client idle(path());
    Client subscriber(path());
    ASSERT_TRUE(subscriber.Ask(Req("subscribe", 1)));
    ASSERT_TRUE(subscriber.Answer());
    const auto told = idle.Answer();
    ASSERT_TRUE(told);
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_TRUE((*told)["error"].toString().contains("too long"));
    EXPECT_TRUE(idle.Ended());
    ASSERT_TRUE(subscriber.Ask(Req("hello", 2)));
    EXPECT_TRUE(subscriber.Answer());

    // A subscriber that never reads is cut once 1 MiB waits for it; one that
    // reads hears every event and stays.
    Client deaf(path());
    ASSERT_TRUE(deaf.Ask(Req("subscribe", 1)));
    ASSERT_TRUE(WaitFor([&] { return service().clientCount() == 2; }, 5s));
    qint64 heard = 0;
    int events = 0;
    clock.restart();
    while (service().clientCount() == 2 && clock.elapsed() < 60000) {
        // As the views are told of a change of unit 0, as fast as may be.
        service().UnitChanged(0);
        ++events;
        QCoreApplication::processEvents();
        heard += subscriber.Drain();
    }
    EXPECT_EQ(service().clientCount(), 1) << events << " events";
    EXPECT_GT(heard, protocol::kMaxUnread);
    EXPECT_TRUE(deaf.Ended());
    ASSERT_TRUE(subscriber.Ask(Req("hello", 3)));
    const auto still = subscriber.Answer();
    ASSERT_TRUE(still);
    EXPECT_EQ((*still)["id"].toInteger(), 3);
    EXPECT_EQ(Settings(), settings);
}

// The socket is for its user alone: the folder keeps others out, and the
// peer's credentials refuse one that gets through a folder opened by hand.
TEST_F(Service, AnotherUserIsKeptOut) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to become another user";
    }
    // What a client that runs as user nobody is told to a hello, and socat's
    // own complaints.
    const auto asNobody = [&] {
        QProcess client;
        client.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "socat", "-t",
                                 "2", "-", "UNIX-CONNECT:" + path()});
        client.write(R"({"quadrel": 1, "id": 1, "command": "hello"})"
                     "\n");
        client.closeWriteChannel();
        WaitFor([&] { return client.state() == QProcess::NotRunning; }, 10s);
        return QString::fromUtf8(client.readAllStandardOutput() + client.readAllStandardError());
    };
    const QString kept = asNobody();
    EXPECT_TRUE(kept.contains("Permission denied")) << kept.toStdString();
    const QByteArray folder = QFile::encodeName(QFileInfo(path()).path());
    ASSERT_EQ(::chmod(QFile::encodeName(runtime_.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(folder.constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0777), 0);
    const QString refused = asNobody();
    EXPECT_TRUE(refused.contains("\"error\"") && !refused.contains("\"program\""))
        << refused.toStdString();
    EXPECT_EQ(service().clientCount(), 0);
}

} // namespace
