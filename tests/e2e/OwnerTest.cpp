// quadrel-ctl through the line's owner, all as shipped processes on
// quadrel-sim: quadrel-server or the window holds the port, and quadrel-ctl
// does what it does on a free port, with the same output and the same changes
// on the line.
#include "CtlProcess.h"
#include "Stamped.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using namespace quadrel::test;

namespace {

constexpr int kPort = 162;
const QStringList kUnit = {"--baud", "19200", "--unit",
                           "id=0,name=Stage,inputs=4,outputs=3,memories=2"};

class Owner : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(runtime_.isValid());
        ASSERT_TRUE(sim_.WriteSettings(kPort, 19200));
        ASSERT_TRUE(sim_.Start(kPort, kUnit));
        env_ = sim_.env();
        env_.insert("XDG_RUNTIME_DIR", runtime_.path());
    }
    void TearDown() override {
        SimProcess::End(owner_);
        sim_.Stop();
    }

    QString SocketPath() const {
        return runtime_.path() + QStringLiteral("/quadrel/quadrel-com%1").arg(kPort);
    }
    // quadrel-server, or the window, holding the port and serving it.
    void StartOwner(const char* program, const QStringList& args) {
        owner_.setProcessEnvironment(env_);
        owner_.start(QString::fromUtf8(program), args);
        ASSERT_TRUE(owner_.waitForStarted(5000));
        ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(SocketPath()); }, 10s))
            << owner_.readAllStandardError().toStdString();
    }
    // Runs wait for the owner's own scan of the line: it is over first.
    void StartServer() {
        StartOwner(QUADREL_SERVER_PATH, {"--port", QString::number(kPort), "--baud", "19200"});
        ASSERT_TRUE(SimProcess::WaitToSay(owner_, said_, "Scan ended", 60s)) << said_.toStdString();
    }

    CtlProcess Start(const QStringList& args) { return {sim_, env_, args}; }
    CtlRun Ctl(const QStringList& args) { return Start(args).Finish(); }

    QTemporaryDir runtime_;
    SimProcess sim_;
    QProcessEnvironment env_;
    QProcess owner_;
    QString said_;
};

TEST_F(Owner, ThroughTheServerEveryCommandPrintsAndSendsWhatItDoesOnAFreePort) {
    QTemporaryDir dir;
    const QString file = dir.filePath("stage.json");
    const std::vector<QStringList> commands = {
        {"route", "0", "--input", "2", "--outputs", "1,3"},
        {"set", "0", "--outputs", "2", "--volume", "40", "--mute", "on"},
        {"preset", "save", "0", "1"},
        {"set", "0", "--outputs", "1-3", "--volume", "12"},
        {"preset", "load", "0", "1"},
        {"save", "0", file},
        {"set", "0", "--outputs", "2", "--volume", "7"},
        {"restore", "0", file},
        {"show", "0"},
    };
    std::vector<CtlRun> freePort;
    for (const QStringList& args : commands) {
        freePort.push_back(Ctl(args));
    }
    // The same line afresh, now held by quadrel-server.
    sim_.Stop();
    ASSERT_TRUE(sim_.Start(kPort, kUnit));
    StartServer();
    for (size_t i = 0; i < commands.size(); ++i) {
        SCOPED_TRACE(commands[i].join(' ').toStdString());
        const CtlRun served = Ctl(commands[i]);
        EXPECT_EQ(freePort[i].status, 0) << freePort[i].err.toStdString();
        EXPECT_EQ(served.status, 0) << served.err.toStdString();
        EXPECT_EQ(served.out, freePort[i].out);
        EXPECT_EQ(served.err, freePort[i].err);
        EXPECT_EQ(served.settings, freePort[i].settings);
    }
    EXPECT_EQ(owner_.state(), QProcess::Running);
}

TEST_F(Owner, TwoClientsAtOnceAndTheServerEndingOnSigterm) {
    // A unit slow to answer, so that the two runs overlap. A client that goes
    // mid-run is the service's test.
    sim_.Stop();
    ASSERT_TRUE(sim_.Start(kPort, kUnit + QStringList{"--latency", "20"}));
    StartServer();
    auto a = Start({"route", "0", "--input", "3", "--outputs", "1"});
    auto b = Start({"set", "0", "--outputs", "2", "--volume", "21"});
    const CtlRun ra = a.Finish();
    const CtlRun rb = b.Finish();
    EXPECT_EQ(ra.status, 0) << ra.err.toStdString();
    EXPECT_EQ(rb.status, 0) << rb.err.toStdString();
    EXPECT_EQ(owner_.state(), QProcess::Running);

    // Ended by SIGTERM at once, the port free for quadrel-ctl itself.
    QElapsedTimer clock;
    clock.start();
    owner_.terminate();
    ASSERT_TRUE(owner_.waitForFinished(5000));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(owner_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(owner_.exitCode(), 0);
    const CtlRun own = Ctl({"set", "0", "--outputs", "3", "--volume", "6"});
    EXPECT_EQ(own.status, 0) << own.err.toStdString();
    EXPECT_EQ(own.settings, QStringList{SimProcess::Frame(0, 0x12, 3, 6)});
}

// The window as the owner, at once after it opened its port: every command
// ends with 0, sends each change once, and the window has drawn the unit's
// answer within 100 ms of it (its subscribers are told as its views are).
TEST_F(Owner, TheWindowServesItsPortAndShowsWhatQuadrelCtlChanged) {
    StartOwner(QUADREL_APP_PATH, {});
    // When this test heard each line of the emulator's trace, and each event.
    QElapsedTimer clock;
    clock.start();
    StampedTrace heard(sim_, clock);
    StampedEvents events(clock);
    ASSERT_TRUE(events.Subscribe(SocketPath(), 5s));

    QTemporaryDir dir;
    const QString file = dir.filePath("stage.json");
    struct Step {
        QStringList args;
        const char* field; // what the window must show of output 2 afterwards
        int value;
    };
    const std::vector<Step> steps = {
        {{"route", "0", "--input", "4", "--outputs", "2"}, "audioInput", 4},
        {{"set", "0", "--outputs", "2", "--volume", "40"}, "volume", 40},
        {{"preset", "save", "0", "1"}, nullptr, 0},
        {{"set", "0", "--outputs", "2", "--volume", "12"}, "volume", 12},
        {{"preset", "load", "0", "1"}, "volume", 40},
        {{"save", "0", file}, nullptr, 0},
        {{"set", "0", "--outputs", "2", "--volume", "7"}, "volume", 7},
        {{"restore", "0", file}, "volume", 40},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.args.join(' ').toStdString());
        const size_t before = heard.size();
        const size_t toldBefore = events.size();
        auto run = Start(step.args);
        QProcess& ctl = run.process();
        ASSERT_TRUE(WaitFor([&] { return ctl.state() == QProcess::NotRunning; }, 60s));
        EXPECT_EQ(ctl.exitCode(), 0) << ctl.readAllStandardError().toStdString();
        // Each change on the line once: no setting written twice in a row.
        const QStringList settings = heard.SettingsSince(before);
        for (qsizetype i = 1; i < settings.size(); ++i) {
            EXPECT_NE(settings[i], settings[i - 1]);
        }
        if (!step.field) {
            continue;
        }
        // The event that says the window drew output 2's new value: waited
        // for itself, since an earlier step's late event may come first.
        const auto shows = [&](const QJsonObject& event) {
            const QJsonObject out = event.value("output").toObject();
            return out.value("output").toInt() == 2 && out.value(step.field).toInt() == step.value;
        };
        WaitFor([&] { return events.FirstAt(shows, toldBefore) >= 0; }, 2s);
        const qint64 drawn = events.FirstAt(shows, toldBefore);
        ASSERT_GE(drawn, 0) << "no event showed " << step.field << " " << step.value;
        if (step.args[0] != QLatin1String("route") && step.args[0] != QLatin1String("set")) {
            continue; // a preset or a file is read back whole first
        }
        // The unit's acknowledgement of the last change written.
        const qint64 acknowledged = heard.AnsweredAt(settings.last(), before);
        ASSERT_GE(acknowledged, 0);
        EXPECT_LT(drawn - acknowledged, 100)
            << "drawn " << drawn - acknowledged << " ms after the acknowledgement";
    }
    EXPECT_EQ(owner_.state(), QProcess::Running);
}

// A scene over two units recalled through the window: quadrel-ctl ends with
// 0 and the window's model, which its pages draw, holds the scene.
TEST_F(Owner, TheWindowRecallsASceneForQuadrelCtl) {
    sim_.Stop();
    ASSERT_TRUE(sim_.Start(
        kPort, kUnit + QStringList{"--unit", "id=1,name=Bar,inputs=2,outputs=2,sections=a"}));
    QFile scenes(sim_.configDir() + "/Quadrel/scenes.json");
    ASSERT_TRUE(scenes.open(QIODevice::WriteOnly));
    scenes.write(R"({"format": "quadrel-scenes", "version": 1, "scenes": [
      {"name": "Night", "shortcut": "", "units": [
        {"id": 0, "name": "Stage", "inputs": 4, "outputs": 3,
         "set": [{"output": 2, "audio": 3, "video": 4, "volume": 17, "mute": 1}], "edid": []},
        {"id": 1, "name": "Bar", "inputs": 2, "outputs": 2,
         "set": [{"output": 1, "audio": 2, "volume": 9}], "edid": []}]}]})");
    scenes.close();
    StartOwner(QUADREL_APP_PATH, {});
    const CtlRun recalled = Ctl({"scene", "recall", "Night"});
    EXPECT_EQ(recalled.status, 0) << recalled.err.toStdString() << recalled.out.toStdString();
    EXPECT_EQ(recalled.settings.size(), 6);
    EXPECT_TRUE(recalled.out.contains("Scene “Night” recalled")) << recalled.out.toStdString();
    // Answered from the window's model: unit 0, selected before, is shown again.
    const CtlRun stage = Ctl({"show", "0", "--json"});
    EXPECT_EQ(stage.At("outputs/1/audioInput"), "3");
    EXPECT_EQ(stage.At("outputs/1/videoInput"), "4");
    EXPECT_EQ(stage.At("outputs/1/volume"), "17");
    EXPECT_EQ(stage.At("outputs/1/mute"), "true") << stage.out.toStdString();
    const CtlRun bar = Ctl({"show", "1", "--json"});
    EXPECT_EQ(bar.At("outputs/0/volume"), "9") << bar.out.toStdString();
    EXPECT_TRUE(bar.settings.isEmpty());
    // Again: the units hold it already.
    EXPECT_TRUE(Ctl({"scene", "recall", "Night"}).settings.isEmpty());
    EXPECT_EQ(owner_.state(), QProcess::Running);
}

} // namespace
