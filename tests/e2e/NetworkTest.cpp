// The window as the line's owner, serving network clients as shipped:
// curl lists the units and routes an output (written to the line once and
// answered with the read-back), and socat speaks the text protocol with a
// staff's token and hears of changes. An event's delay after the unit's
// acknowledgement is timed in EventHandsTest, the staff's refusals on the
// text door in LimitsTest.
#include "Stamped.h"
#include "model/RolesFile.h"
#include "model/TokenFile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using namespace quadrel::test;

namespace {

constexpr int kPort = 163;

TEST(Network, TheWindowServesCurlAnEventStreamAndSocat) {
    QTemporaryDir runtime;
    SimProcess sim;
    const quint16 api = FreePort();
    const quint16 text = FreePort();
    const QString doors = "[NETWORK]\nAPI=true\nTEXT=true\nAPI%20PORT=%1\nTEXT%20PORT=%2\n";
    ASSERT_TRUE(sim.WriteSettings(kPort, 19200, doors.arg(api).arg(text)));
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
        WaitFor([&] { return p.state() == QProcess::NotRunning; }, 70s);
        return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    };
    const QString base = QStringLiteral("http://127.0.0.1:%1/api/v1").arg(api);
    // Up, and the unit read through.
    ASSERT_TRUE(WaitFor([&] { return curl({base + "/units/0"}).value("state").isObject(); }, 60s))
        << window.readAllStandardError().toStdString();
    const QJsonObject units = curl({base + "/units"});
    EXPECT_EQ(units["units"][0]["unit"]["name"].toString(), "Stage");

    qsizetype before = sim.Requests().size();
    const QJsonObject routed = curl({"-H", "Content-Type: application/json", "-d",
                                     R"({"input":4,"output":2})", base + "/units/0/route"});
    EXPECT_EQ(routed["status"].toInt(), 0);
    EXPECT_EQ(routed["result"]["outputs"][0]["audioInput"].toInt(), 4);
    EXPECT_EQ(routed["result"]["outputs"][0]["videoInput"].toInt(), 4);
    EXPECT_EQ(sim.SettingsSince(before).size(), 2); // audio, video: once each

    // socat: a staff's token routes its output and hears of the change.
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
    before = sim.Requests().size();
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
    EXPECT_EQ(sim.SettingsSince(before).size(), 2);
    socat.closeWriteChannel();
    socat.waitForFinished(5000);
    EXPECT_EQ(window.state(), QProcess::Running);
    SimProcess::End(window);
    sim.Stop();
}

} // namespace
