// The demo's unit 1 saved with quadrel-ctl, changed behind the program's
// back through the emulator's own state, restored, and the emulator then
// compared with the file. The emulator runs in this process on a
// pseudo-terminal, as quadrel-sim would serve it, so its state is at hand.
#include "model/UnitSettingsFile.h"
#include "sim/DemoLineup.h"
#include "sim/PortAlias.h"
#include "sim/ProtocolEngine.h"
#include "sim/PtyLine.h"
#include "sim/QtScheduler.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quadrel;

namespace {

constexpr int kPort = 161;

// Where the emulated unit's live state differs from the file.
std::vector<std::string> Against(const UnitSettings& file, const sim::Unit& unit) {
    std::vector<std::string> out;
    const sim::UnitState& s = unit.state();
    for (const auto& [o, v] : file.live.outputs) {
        const auto i = static_cast<size_t>(o - 1);
        const sim::AudioOutputState& a = s.audio[i];
        const std::pair<std::optional<int>, int> pairs[] = {
            {v.audioInput, a.input},    {v.videoInput, s.videoRoutes[i]},
            {v.mute, a.mute ? 1 : 0},   {v.volume, a.volume},
            {v.bass, a.bass},           {v.treble, a.treble},
            {v.subwoofer, a.subwoofer}, {v.delay, a.delayLevel * unit.config().delayStepMs}};
        for (const auto& [wanted, real] : pairs) {
            if (wanted != real) {
                out.push_back("output " + std::to_string(o));
            }
        }
    }
    for (const auto& [i, edid] : file.live.edid) {
        if (s.edid[static_cast<size_t>(i - 1)] != edid) {
            out.push_back("input " + std::to_string(i));
        }
    }
    return out;
}

} // namespace

TEST(CtlSettings, DemoUnitSavedChangedAndRestoredMatchesTheFile) {
    QTemporaryDir config;
    sim::QtScheduler scheduler;
    sim::LineConfig line;
    line.baud = 19200;
    sim::ProtocolEngine engine(scheduler, line);
    for (const sim::UnitConfig& unit : sim::DemoLineup::Units()) {
        engine.addUnit(unit);
    }
    sim::PtyLine pty(engine);
    QString error;
    ASSERT_TRUE(pty.open(error)) << error.toStdString();
    const QString aliases = config.filePath("Quadrel/ports");
    ASSERT_TRUE(QDir().mkpath(aliases));
    sim::PortAlias alias(aliases, kPort);
    ASSERT_TRUE(alias.claim(pty.slavePath(), error)) << error.toStdString();

    // quadrel-ctl runs while this process serves the line.
    const auto ctl = [&config](const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config.path());
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QUADREL_CTL_PATH),
                QStringList{"--port", QString::number(kPort), "--baud", "19200"} + args);
        const QDeadlineTimer deadline(60000);
        while (p.state() != QProcess::NotRunning && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            p.waitForFinished(5);
        }
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAllStandardError()));
    };

    const QString path = config.filePath("unit1.json");
    const auto saved = ctl({"save", "1", path});
    ASSERT_EQ(saved.first, 0) << saved.second.toStdString();
    const auto file = UnitSettingsFile::Read(path, error);
    ASSERT_TRUE(file) << error.toStdString();
    sim::Unit& unit = *engine.unit(1);
    EXPECT_TRUE(Against(*file, unit).empty());
    EXPECT_EQ(file->unit.name, "Main Hall 24x16");
    EXPECT_EQ(file->live.outputs.size(), 16u);
    EXPECT_EQ(file->live.edid.size(), 24u);

    // Routes, levels and EDID changed in the emulator itself.
    sim::UnitState& s = unit.state();
    s.audio[0].input = 9;
    s.videoRoutes[15] = 0;
    s.audio[3].volume = 12;
    s.audio[7].bass = 99;
    s.audio[10].delayLevel = 40;
    s.edid[20] = 1;
    ASSERT_EQ(Against(*file, unit).size(), 6u);

    const auto restored = ctl({"restore", "1", path});
    EXPECT_EQ(restored.first, 0) << restored.second.toStdString();
    EXPECT_TRUE(Against(*file, unit).empty());
}
