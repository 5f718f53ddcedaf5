// The window as the line's owner, serving network clients as shipped:
// curl lists the units and routes an output (written to the line once and
// answered with the read-back), an event stream hears each change within
// 50 ms of the unit's acknowledgement, and socat speaks the text protocol
// with a staff's token, refused beyond its outputs with nothing sent.
#include "SimProcess.h"
#include "link/CommandCodes.h"
#include "model/RolesFile.h"
#include "model/TokenFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using quadrel::test::SimProcess;
using quadrel::test::WaitFor;

namespace {

constexpr int kPort = 163;

quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

TEST(Network, TheWindowServesCurlAnEventStreamAndSocat) {
    QTemporaryDir runtime;
    SimProcess sim;
    const quint16 api = FreePort();
    const quint16 text = FreePort();
    {
        QFile conf(sim.settingsFile());
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral("[COM]\nPORT%20NUMBER=%1\nBAUD%20RATE=19200\n"
                                  "[NETWORK]\nAPI=true\nTEXT=true\nAPI%20PORT=%2\nTEXT%20PORT=%3\n")
                       .arg(kPort)
                       .arg(api)
                       .arg(text)
                       .toUtf8());
    }
    const QString folder = sim.configDir() + "/Quadrel";
    quadrel::RolesConfig roles;
    roles.staff.outputs[0] = {1};
    QString error, tech, staff;
    quadrel::TokenRecord made;
    ASSERT_TRUE(quadrel::RolesFile::Save(folder + "/roles.json", roles, error));
    quadrel::TokenFile tokens(folder + "/tokens.json");
    ASSERT_TRUE(tokens.Create("tech", quadrel::Role::Technician, tech, made, error));
    ASSERT_TRUE(tokens.Create("desk", quadrel::Role::Staff, staff, made, error));
    ASSERT_TRUE(sim.Start(
        kPort, {"--baud", "19200", "--unit", "id=0,name=Stage,inputs=4,outputs=3,memories=2"}));
    QProcessEnvironment env = sim.env();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    QProcess window;
    window.setProcessEnvironment(env);
    window.start(QStringLiteral(QUADREL_APP_PATH), {});
    const auto curl = [&](const QStringList& args) {
        QProcess p;
        p.start("curl",
                QStringList{"-s", "-m", "60", "-H", "Authorization: Bearer " + tech} + args);
        // The event loop goes on, so the trace and the events are heard as they come.
        WaitFor([&] { return p.state() == QProcess::NotRunning; }, 70s);
        return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    };
    const QString base = QStringLiteral("http://127.0.0.1:%1/api/v1").arg(api);
    // Up, and the unit read through.
    ASSERT_TRUE(WaitFor([&] { return curl({base + "/units/0"}).value("state").isObject(); }, 60s))
        << window.readAllStandardError().toStdString();
    const QJsonObject units = curl({base + "/units"});
    EXPECT_EQ(units["units"][0]["unit"]["name"].toString(), "Stage");

    // The event stream, and when each event and each line of the trace came.
    QElapsedTimer clock;
    clock.start();
    std::vector<std::pair<QString, qint64>> heard;
    const auto listen = [&] {
        const auto lines = sim.Lines();
        for (size_t i = heard.size(); i < lines.size(); ++i) {
            heard.emplace_back((lines[i].first ? "in " : "out ") + lines[i].second,
                               clock.elapsed());
        }
    };
    QObject::connect(&sim.process(), &QProcess::readyReadStandardOutput, listen);
    QTcpSocket events;
    events.connectToHost(QHostAddress::LocalHost, api);
    ASSERT_TRUE(events.waitForConnected(5000));
    events.write("GET /api/v1/events HTTP/1.1\r\nAuthorization: Bearer " + tech.toLatin1() +
                 "\r\n\r\n");
    std::vector<std::pair<QJsonObject, qint64>> told;
    QByteArray stream;
    QObject::connect(&events, &QTcpSocket::readyRead, [&] {
        stream += events.readAll();
        for (qsizetype at; (at = stream.indexOf("data: ")) >= 0;) {
            const qsizetype end = stream.indexOf('\n', at);
            if (end < 0) {
                break;
            }
            told.emplace_back(QJsonDocument::fromJson(stream.mid(at + 6, end - at - 6)).object(),
                              clock.elapsed());
            stream.remove(0, end + 1);
        }
    });
    ASSERT_TRUE(WaitFor([&] { return stream.contains(": subscribed"); }, 5s));

    const auto settingsSince = [&](size_t from) {
        while (sim.process().waitForReadyRead(0)) {
        }
        listen();
        QStringList settings;
        for (size_t i = from; i < heard.size(); ++i) {
            const QString& line = heard[i].first;
            if (line.startsWith("in ") &&
                quadrel::IsSetCommand(static_cast<uint8_t>(line.mid(6, 2).toInt(nullptr, 16)))) {
                settings << line;
            }
        }
        return settings;
    };
    listen();
    size_t before = heard.size();
    const QJsonObject routed = curl({"-H", "Content-Type: application/json", "-d",
                                     R"({"input":4,"output":2})", base + "/units/0/route"});
    EXPECT_EQ(routed["status"].toInt(), 0);
    EXPECT_EQ(routed["result"]["outputs"][0]["audioInput"].toInt(), 4);
    EXPECT_EQ(routed["result"]["outputs"][0]["videoInput"].toInt(), 4);
    QStringList settings = settingsSince(before);
    EXPECT_EQ(settings.size(), 2) << settings.join('\n').toStdString(); // audio, video: once each
    // Heard as an event within 50 ms of the unit's acknowledgement.
    ASSERT_TRUE(WaitFor(
        [&] {
            return std::any_of(told.begin(), told.end(), [](const auto& t) {
                return t.first["output"]["output"].toInt() == 2 &&
                       t.first["output"]["videoInput"].toInt() == 4;
            });
        },
        5s));
    qint64 acknowledged = -1;
    for (size_t i = before; i + 1 < heard.size(); ++i) {
        if (heard[i].first == settings.value(1) && heard[i + 1].first.startsWith("out ")) {
            acknowledged = heard[i + 1].second;
        }
    }
    qint64 eventAt = -1;
    for (const auto& [event, at] : told) {
        if (eventAt < 0 && event["output"]["output"].toInt() == 2 &&
            event["output"]["videoInput"].toInt() == 4) {
            eventAt = at;
        }
    }
    ASSERT_GE(acknowledged, 0);
    EXPECT_LT(eventAt - acknowledged, 50) << eventAt - acknowledged << " ms";

    // socat: a staff's token routes its output, is refused another with
    // nothing on the line, and hears of changes.
    QProcess socat;
    socat.start("socat", {"-", QStringLiteral("TCP:127.0.0.1:%1").arg(text)});
    ASSERT_TRUE(socat.waitForStarted(5000));
    QByteArray said;
    const auto answer = [&](const QByteArray& line) {
        said.clear();
        socat.write(line);
        WaitFor(
            [&] {
                said += socat.readAllStandardOutput();
                return said.startsWith("OK") || said.startsWith("ERR");
            },
            20s);
        return said;
    };
    EXPECT_TRUE(answer("auth " + staff.toLatin1() + "\n").startsWith("OK {\"role\":\"staff\""));
    EXPECT_TRUE(answer("subscribe\n").startsWith("OK subscribed"));
    listen();
    before = heard.size();
    EXPECT_TRUE(answer("route 0 --input 3 --outputs 2\n")
                    .startsWith("ERR 2 Locked: output 2 is not among the staff's outputs"));
    EXPECT_TRUE(settingsSince(before).isEmpty());
    said.clear();
    socat.write("route 0 --input 3 --outputs 1\n");
    EXPECT_TRUE(WaitFor(
        [&] {
            said += socat.readAllStandardOutput();
            return said.contains("\nOK {\"outputs\"") || said.startsWith("OK {\"outputs\"");
        },
        20s))
        << said.toStdString();
    EXPECT_TRUE(said.contains(R"(EVENT {"event":"output","output":{"audioInput":3)"))
        << said.toStdString();
    EXPECT_EQ(settingsSince(before).size(), 2);
    socat.closeWriteChannel();
    socat.waitForFinished(5000);
    EXPECT_EQ(window.state(), QProcess::Running);
    SimProcess::End(window);
    sim.Stop();
}

} // namespace
