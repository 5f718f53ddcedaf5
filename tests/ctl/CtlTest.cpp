// quadrel-ctl against quadrel-sim; what went over the line from the emulator's trace.
#include "CtlProcess.h"
#include "link/qt/QtSerialPort.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;
using quadrel::test::CtlRun;
using quadrel::test::SimProcess;

namespace {

constexpr int kPort = 160;

class Ctl : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim_.WriteSettings(kPort, 19200));
        ASSERT_TRUE(sim_.Start(
            kPort, {"--baud", "19200", "--unit",
                    "id=0,name=Stage,inputs=4,outputs=3,memories=2,delay-step=5,max-delay=500",
                    "--unit", "id=1,name=Bar,inputs=2,outputs=2,sections=a,bass=no", "--unit",
                    "id=2,silent=yes", "--unit", "id=3,deaf=yes"}));
    }

    quadrel::test::CtlProcess Start(const QStringList& args) { return {sim_, sim_.env(), args}; }
    CtlRun RunCtl(const QStringList& args) { return Start(args).Finish(); }

    SimProcess sim_;
};

QString F(uint8_t id, uint8_t code, uint8_t d0, uint8_t d1) {
    return SimProcess::Frame(id, code, d0, d1);
}

} // namespace

TEST_F(Ctl, EveryCommandEndsWithItsOwnStatusThenSaveRestoreAndAPortHeldOrLost) {
    struct Case {
        QStringList args;
        int status;
        QStringList sent; // frames among the run's requests; after "-", not among them
        QStringList says; // "/path=value" in its JSON, or text in its output or errors
    };
    const std::vector<Case> cases = {
        {{"--help"}, 0, {}, {"Exit status:"}},
        {{"frobnicate"}, 2, {}, {}},
        {{"set", "0", "--outputs", "1"}, 2, {}, {}},
        {{"show", "32"}, 2, {}, {}},
        // Bounded while parsed: refused at once, nothing opened or sent.
        {{"set", "0", "--outputs", "1-2147483647", "--volume", "5"}, 2, {}, {"ports are 1 to 255"}},
        // The port and rate come from the settings file unless given.
        {{"scan", "--ids", "0-2", "--json"},
         0,
         {F(0, 0x3F, 0, 0), F(2, 0x3F, 0, 0), "-" + F(3, 0x3F, 0, 0)},
         {"/units/#=2", "/units/0/name=Stage", "/units/1/abilities/bass=false"}},
        // A port named twice in a list is one port.
        {{"route", "0", "--input", "3", "--outputs", "1,2,1-2", "--json"},
         0,
         {F(0, 0x02, 1, 3), F(0, 0x01, 2, 3)},
         {"/outputs/#=2", "/outputs/1/audioInput=3", "/outputs/1/videoInput=3"}},
        {{"disconnect", "0", "--outputs", "2", "--video", "--json"},
         0,
         {"-" + F(0, 0x02, 2, 0)},
         {"/outputs/0/videoInput=0", "/outputs/0/audioInput=3"}},
        {{"set", "0", "--outputs", "1-2", "--volume", "40", "--bass", "60", "--mute", "on",
          "--delay", "300", "--json"},
         0,
         {F(0, 0x12, 2, 40), F(0, 0x1E, 1, 0), F(0, 0x1C, 1, 60)}, // 300 ms: 60 steps
         {"/outputs/1/volume=40", "/outputs/1/bass=60", "/outputs/1/mute=true",
          "/outputs/1/delay=300"}},
        {{"set", "0", "--inputs", "2", "--edid", "1", "--json"}, 0, {}, {"/inputs/0/edid=1"}},
        {{"preset", "save", "0", "2", "--json"},
         0,
         {F(0, 0x04, 0, 2)},
         {"/presets/0/outputs/#=3", "/presets/0/outputs/1/volume=40"}},
        {{"set", "0", "--outputs", "2", "--volume", "90"}, 0, {}, {}},
        {{"preset", "load", "0", "2", "--json"}, 0, {}, {"/outputs/1/volume=40"}},
        {{"show", "0", "--presets", "--json"},
         0,
         {"-" + F(1, 0x3F, 0, 0)},
         {"/unit/maxDelay=500", "/inputs/#=4", "/presets/#=2"}},
        {{"show", "1"}, 0, {}, {"unit 1  name Bar", "  output 2  audioInput "}},
        // The log window's lines, hex and words, on standard error.
        {{"--trace", "set", "0", "--outputs", "3", "--treble", "20"},
         0,
         {},
         {"SEND 20 16 03 14 ", "     unit 00 set treble output 3 = 20\n", "     unit 00 ack\n"}},
        // Refused before anything is sent.
        {{"set", "0", "--outputs", "1", "--volume", "101", "--json"},
         7,
         {},
         {"volume 101 is outside 0-100"}},
        {{"set", "0", "--outputs", "1", "--delay", "502"}, 7, {}, {}},
        {{"set", "1", "--outputs", "1", "--bass", "10"}, 7, {}, {}},
        {{"route", "0", "--input", "5", "--outputs", "1"}, 7, {}, {}},
        {{"preset", "load", "0", "3"}, 7, {}, {}},
        // The deaf unit took the setting but did not carry it out.
        {{"set", "3", "--outputs", "2", "--volume", "30"},
         1,
         {},
         {"unit 3: volume of output 2 is 50, not 30"}},
        // A silent unit and an empty ID end after three tries.
        {{"show", "2", "--json"}, 6, {}, {"/error=unit 2 does not answer"}},
        {{"route", "7", "--input", "1", "--outputs", "1"}, 6, {}, {}},
        {{"--port", "99", "show", "0"}, 3, {}, {}},
        {{"--port", "256", "show", "0"}, 3, {}, {"port 256 is not 1 to 255"}},
        {{"--baud", "4800", "show", "0"}, 2, {}, {"baud rate 4800 is neither"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CtlRun r = RunCtl(c.args);
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        if (c.status != 0) {
            EXPECT_TRUE(r.err.startsWith("quadrel-ctl: ")) << r.err.toStdString();
            EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString(); // one line, no trace
            EXPECT_LT(r.ms, 5000);
            // Refused, unreachable or bad arguments: no setting went out.
            EXPECT_EQ(!r.settings.isEmpty(), c.status == 1);
        } else if (!c.args.contains("--trace")) {
            EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString(); // no progress off a terminal
        }
        for (const QString& frame : c.sent) {
            EXPECT_EQ(r.requests.contains(frame.mid(frame.startsWith('-'))), !frame.startsWith('-'))
                << frame.toStdString();
        }
        for (const QString& text : c.says) {
            if (text.startsWith('/')) {
                EXPECT_EQ(r.At(text.section('=', 0, 0)), text.section('=', 1))
                    << text.toStdString();
            } else {
                EXPECT_TRUE((r.out + r.err).contains(text)) << text.toStdString();
            }
        }
    }

    // Saved and restored: only what differs goes out.
    QTemporaryDir dir;
    const QString path = dir.filePath("stage.json");
    const CtlRun saved = RunCtl({"save", "0", path, "--presets", "--json"});
    ASSERT_EQ(saved.status, 0) << saved.err.toStdString();
    EXPECT_EQ(saved.json["presets"].toInt(), 2);
    EXPECT_TRUE(saved.settings.isEmpty());
    EXPECT_TRUE(saved.requests.contains(SimProcess::Frame(0, 0x13, 0, 2))); // preset 2 read
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    const QJsonObject json = QJsonDocument::fromJson(text).object();
    EXPECT_EQ(json["format"].toString(), "quadrel-unit-settings");
    EXPECT_EQ(json["unit"].toObject()["name"].toString(), "Stage");

    ASSERT_EQ(RunCtl({"set", "0", "--outputs", "2", "--volume", "7"}).status, 0);
    const CtlRun restored = RunCtl({"restore", "0", path, "--json"});
    EXPECT_EQ(restored.status, 0) << restored.err.toStdString();
    EXPECT_EQ(restored.json["changes"].toArray().size(), 1);
    EXPECT_EQ(restored.json["sent"].toInt(), 1);
    EXPECT_TRUE(restored.requests.contains(SimProcess::Frame(0, 0x12, 2, 40)));
    EXPECT_EQ(restored.settings.size(), 1);
    // A fresh read finds the unit as the file has it.
    const CtlRun again = RunCtl({"restore", "0", path});
    EXPECT_EQ(again.status, 0);
    EXPECT_TRUE(again.out.contains("sent 0 of 0 changes")) << again.out.toStdString();
    EXPECT_TRUE(again.settings.isEmpty());

    // The file's names are listed, and kept on this PC only with --names;
    // the next save writes them.
    QByteArray named = text;
    named.replace(R"("inputs": {
        },)",
                  R"("inputs": {
            "1": "=Desk"
        },)");
    ASSERT_NE(named, text);
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(named);
    out.close();
    const QString names = sim_.env().value("XDG_CONFIG_HOME") + "/Quadrel/names.json";
    const CtlRun listed = RunCtl({"restore", "0", path, "--json"});
    EXPECT_EQ(listed.json["names"].toArray().size(), 1);
    EXPECT_FALSE(QFile::exists(names));
    const CtlRun kept = RunCtl({"restore", "0", path, "--names", "--json"});
    EXPECT_EQ(kept.status, 0) << kept.err.toStdString();
    ASSERT_TRUE(RunCtl({"save", "0", path}).status == 0);
    QFile resaved(path);
    ASSERT_TRUE(resaved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(resaved.readAll().contains(R"("1": "=Desk")"));

    QByteArray loud = text;
    loud.replace("\"volume\": 50", "\"volume\": 150");
    const QString bad = dir.filePath("bad.json");
    const std::vector<std::tuple<QStringList, QByteArray, int, const char*>> badFiles = {
        {{"restore", "0", bad}, text.left(200), 8, "damaged or cut short"},
        {{"restore", "0", bad}, loud, 8, "is outside 0 to 100"},
        {{"restore", "1", bad}, text, 8, "does not fit unit 1"},
        {{"restore", "0", dir.filePath("none.json")}, {}, 8, "No such file"},
        {{"save", "0", dir.filePath("no/such/folder/x.json")}, {}, 8, "could not be written"},
        {{"restore", "0"}, {}, 2, "takes a unit ID and a file"}};
    for (const auto& [args, content, status, message] : badFiles) {
        SCOPED_TRACE(args.join(' ').toStdString());
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        const CtlRun r = RunCtl(args);
        EXPECT_EQ(r.status, status) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(message))) << r.err.toStdString();
        EXPECT_TRUE(r.settings.isEmpty());
    }

    {
        // Held through the same exclusive open as the desktop program.
        quadrel::basCOMM comm(quadrel::PortFolders{sim_.aliasDir()});
        quadrel::QtSerialPort holder(comm);
        ASSERT_TRUE(holder.open(kPort, "19200,n,8,1"));
        const CtlRun held = RunCtl({"show", "0"});
        EXPECT_EQ(held.status, 4) << held.err.toStdString();
        // Named from the lock file: this test's own process holds it.
        EXPECT_TRUE(held.err.contains(QStringLiteral("process %1").arg(::getpid())))
            << held.err.toStdString();
        EXPECT_TRUE(held.requests.isEmpty());
    }
    // The emulator goes away in the middle of a scan of empty IDs.
    const qsizetype probes = sim_.Requests().count(F(3, 0x3F, 0, 0));
    auto run = Start({"scan", "--ids", "3-31"});
    QProcess& ctl = run.process();
    ASSERT_TRUE(quadrel::test::WaitFor(
        [&] { return sim_.Requests().count(F(3, 0x3F, 0, 0)) > probes; }, 10s));
    sim_.Stop();
    ASSERT_TRUE(ctl.waitForFinished(5000));
    EXPECT_EQ(ctl.exitCode(), 5) << ctl.readAllStandardError().toStdString();
}

// A settings file that is there but will not read is said to be so, with
// its path; a missing one still means no port set; --port and --baud need none.
TEST_F(Ctl, ASettingsFileThatWillNotReadIsToldApartFromNone) {
    const QString file = sim_.settingsFile();
    const auto damage = [&](const QByteArray& text) {
        QFile f(file);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size();
    };
    const struct {
        const char* what;
        std::function<bool()> make;
        int status;
        QString says;
    } cases[] = {
        {"a FIFO in its place, which must not hold the run",
         [&] {
             return QFile::remove(file) && ::mkfifo(QFile::encodeName(file).constData(), 0600) == 0;
         },
         8, file + " cannot be read (it is not a regular file)"},
        {"not in the settings format",
         [&] {
             return QFile::remove(file) && damage("[COM\nPORT%20NUMBER=160\nBAUD%20RATE=19200\n");
         },
         8, file + " is damaged (it is not in the settings format)"},
        {"none", [&] { return QFile::remove(file); }, 3, "no port set"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.make());
        const CtlRun r = RunCtl({"show", "0"});
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
        EXPECT_TRUE(r.requests.isEmpty());
        const CtlRun given =
            RunCtl({"show", "0", "--port", QString::number(kPort), "--baud", "19200"});
        EXPECT_EQ(given.status, 0) << given.err.toStdString();
    }
}

// Ctrl+C while a preset is passed through the live outputs: the restore is
// cancelled, the live outputs are put back, and the status says a signal.
TEST_F(Ctl, ASignalInAPresetPassPutsTheLiveOutputsBack) {
    // A unit slow to answer, as one writing to its memory would be.
    sim_.Stop();
    ASSERT_TRUE(sim_.Start(kPort, {"--baud", "19200", "--latency", "20", "--unit",
                                   "id=0,name=Stage,inputs=4,outputs=3,memories=2"}));
    QTemporaryDir dir;
    const QString path = dir.filePath("stage.json");
    ASSERT_EQ(RunCtl({"save", "0", path, "--presets"}).status, 0);
    // Both presets and the live state now differ from the file.
    for (const QString location : {"1", "2"}) {
        ASSERT_EQ(RunCtl({"set", "0", "--outputs", "1-3", "--volume", "11"}).status, 0);
        ASSERT_EQ(RunCtl({"preset", "save", "0", location}).status, 0);
    }
    ASSERT_EQ(RunCtl({"set", "0", "--outputs", "1-3", "--volume", "77"}).status, 0);

    auto run = Start({"restore", "0", path, "--presets", "--json"});
    QProcess& ctl = run.process();
    // The first preset's volume on output 1, on its way through the live outputs.
    ASSERT_TRUE(sim_.WaitForRequest(F(0, 0x12, 1, 50), 20s));
    ::kill(static_cast<pid_t>(ctl.processId()), SIGINT);
    ASSERT_TRUE(ctl.waitForFinished(20000));
    EXPECT_EQ(ctl.exitCode(), 130);
    const QJsonObject json = QJsonDocument::fromJson(ctl.readAllStandardOutput()).object();
    EXPECT_EQ(json["status"].toInt(), 130);
    EXPECT_TRUE(json["cancelled"].toBool());
    EXPECT_TRUE(json["putBack"].toBool());
    EXPECT_TRUE(json["readBack"].toBool());

    const CtlRun shown = RunCtl({"show", "0", "--json"});
    ASSERT_EQ(shown.status, 0);
    for (int o = 0; o < 3; ++o) {
        EXPECT_EQ(shown.At(QStringLiteral("/outputs/%1/volume").arg(o)), "77") << o;
    }
}

// Signals and files that never end: the port is let go at once.
TEST_F(Ctl, ASignalOrAFifoNeverHoldsThePort) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("settings.json");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QElapsedTimer clock;
    clock.start();
    const CtlRun piped = RunCtl({"restore", "0", fifo});
    EXPECT_EQ(piped.status, 8);
    EXPECT_TRUE(piped.err.contains("not a regular file")) << piped.err.toStdString();
    EXPECT_TRUE(piped.requests.isEmpty());
    EXPECT_LT(clock.elapsed(), 5000);

    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        const qsizetype probes = sim_.Requests().count(F(5, 0x3F, 0, 0));
        auto run = Start({"scan", "--ids", "5-31"});
        QProcess& ctl = run.process();
        ASSERT_TRUE(quadrel::test::WaitFor(
            [&] { return sim_.Requests().count(F(5, 0x3F, 0, 0)) > probes; }, 10s));
        clock.restart();
        ::kill(static_cast<pid_t>(ctl.processId()), signal);
        ASSERT_TRUE(ctl.waitForFinished(5000));
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_EQ(ctl.exitCode(), 128 + signal);
        EXPECT_EQ(RunCtl({"show", "1"}).status, 0); // the port is free again
    }
}

// Answers sent twice or empty never make show end with 0 while printing a
// value the unit does not hold: what it prints is what a fault-free line shows.
TEST_F(Ctl, ShowOnALineWithEmptyAndEchoedAnswersPrintsOnlyWhatTheUnitHolds) {
    const QString unit = "id=0,name=Stage,inputs=6,outputs=6,memories=2";
    sim_.Stop();
    ASSERT_TRUE(sim_.Start(kPort, {"--baud", "19200", "--unit", unit}));
    const CtlRun clean = RunCtl({"show", "0", "--json"});
    ASSERT_EQ(clean.status, 0);
    int exact = 0;
    for (int seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE(seed);
        sim_.Stop();
        ASSERT_TRUE(sim_.Start(kPort, {"--baud", "19200", "--seed", QString::number(seed),
                                       "--faults", "empty=0.05,echo=0.05", "--unit", unit}));
        const CtlRun r = RunCtl({"show", "0", "--json"});
        if (r.status == 0) {
            ++exact;
            EXPECT_EQ(r.json["outputs"], clean.json["outputs"]);
            EXPECT_EQ(r.json["inputs"], clean.json["inputs"]);
        } else {
            EXPECT_EQ(r.status, 1) << r.err.toStdString();
        }
    }
    EXPECT_GE(exact, 4); // the faults cost reads, not every run
}

// Scenes from the file on this PC: a missing scene, a damaged file and a
// value past a unit's range send nothing; a recall sends only what differs
// and says what did not reach which unit.
TEST_F(Ctl, SceneRecallEndsWithItsOwnStatusAndSendsOnlyWhatDiffers) {
    const QString path = sim_.configDir() + "/Quadrel/scenes.json";
    const auto write = [&path](const QByteArray& text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    };
    const QByteArray scenes = R"({"format": "quadrel-scenes", "version": 1, "scenes": [
      {"name": "Lecture", "shortcut": "Ctrl+1", "units": [
        {"id": 0, "name": "Stage", "inputs": 4, "outputs": 3,
         "set": [{"output": 1, "audio": 2, "video": 3, "volume": 61},
                 {"output": 3, "mute": 1, "delay": 250}], "edid": []},
        {"id": 1, "name": "Bar", "inputs": 2, "outputs": 2,
         "set": [{"output": 2, "audio": 1, "volume": 33}], "edid": []}]},
      {"name": "Partly", "shortcut": "", "units": [
        {"id": 1, "name": "Bar", "inputs": 2, "outputs": 2,
         "set": [{"output": 1, "volume": 44, "bass": 10}, {"output": 5, "volume": 1}], "edid": []},
        {"id": 2, "name": "Quadrel unit", "inputs": 4, "outputs": 4,
         "set": [{"output": 1, "volume": 44}], "edid": []}]},
      {"name": "Too long a delay", "shortcut": "", "units": [
        {"id": 0, "name": "Stage", "inputs": 4, "outputs": 3,
         "set": [{"output": 1, "volume": 5}, {"output": 2, "delay": 900}], "edid": []}]}]})";
    write(scenes);

    const CtlRun listed = RunCtl({"scene", "list", "--json"});
    EXPECT_EQ(listed.status, 0) << listed.err.toStdString();
    EXPECT_EQ(listed.At("scenes/#"), "3");
    EXPECT_TRUE(listed.requests.isEmpty()); // the file alone
    EXPECT_TRUE(RunCtl({"scene", "show", "Lecture"}).out.contains("Output 3 delay (ms): 250"));

    const struct {
        QStringList args;
        int status;
    } refused[] = {
        {{"scene", "recall", "Nope"}, 9},
        {{"scene", "show", "Nope"}, 9},
        {{"scene", "recall", "Too long a delay"}, 7},
        {{"scene", "recall"}, 2},
    };
    for (const auto& c : refused) {
        const CtlRun r = RunCtl(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.settings.isEmpty());
    }

    const CtlRun recalled = RunCtl({"scene", "recall", "Lecture", "--json"});
    EXPECT_EQ(recalled.status, 0) << recalled.err.toStdString() << recalled.out.toStdString();
    EXPECT_EQ(recalled.settings.size(), recalled.At("sent").toInt() + 1); // a delay is two frames
    EXPECT_GT(recalled.At("sent").toInt(), 0);
    const CtlRun shown = RunCtl({"show", "1", "--json"});
    EXPECT_EQ(shown.At("outputs/1/volume"), "33");
    EXPECT_EQ(shown.At("outputs/1/audioInput"), "1");
    const CtlRun again = RunCtl({"scene", "recall", "Lecture"});
    EXPECT_EQ(again.status, 0);
    EXPECT_TRUE(again.settings.isEmpty());
    // Unit 0, read in full when found, is not read again when the recall
    // selects it first: asked when found and when selected again at the end.
    EXPECT_EQ(again.requests.count(F(0, 0x3F, 0, 0)), 2);

    const CtlRun partly = RunCtl({"scene", "recall", "Partly", "--json"});
    EXPECT_EQ(partly.status, 10) << partly.err.toStdString();
    EXPECT_EQ(partly.At("sceneUnits/0/state"), "partial");
    EXPECT_EQ(partly.At("sceneUnits/0/leftOut/#"), "2"); // bass, output 5
    EXPECT_EQ(partly.At("sceneUnits/1/state"), "not on the line");
    EXPECT_EQ(RunCtl({"show", "1", "--json"}).At("outputs/0/volume"), "44");

    write(QByteArray(scenes).replace("\"volume\": 61", "\"volume\": 161"));
    const CtlRun damaged = RunCtl({"scene", "recall", "Lecture"});
    EXPECT_EQ(damaged.status, 8);
    EXPECT_TRUE(damaged.requests.isEmpty());

    const QString help = RunCtl({"--help"}).out;
    EXPECT_TRUE(help.contains("  9  scene recall") && help.contains("  10 scene recall"));
}
