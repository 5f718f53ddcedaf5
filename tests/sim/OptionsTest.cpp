#include "sim/CommandLine.h"
#include "sim/ConfigFile.h"

#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <tuple>

namespace quadrel::sim::test {
namespace {

// A config file, with the command line over it.
TEST(Options, ConfigFileDescribesLineAndUnitsTheCommandLineOverridesItAndMistakesAreNamed) {
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write(R"([line]
baud = 19200
latency = 7
lost = 0.25
seed = 5
port = 210

[unit]
id = 4
name = Hall, left side   # commas are fine here
inputs = 32
sections = a
bass = no
delay-step = 10
max-delay = 2500
firmware = 3.2.1
plug-at = 500:ain:3:0; 900:aout:2:1
[unit]
id = 7
silent-after = 5
)");
    file.flush();
    SimOptions o;
    QString error;
    ASSERT_TRUE(CommandLine::Parse(
        {"--seed=6", "--config", file.fileName(), "--unit", "id=8,outputs=9,late=1,late-ms=400",
         "--faults",
         "noise=0.5,chatter=1,chatter-ms=100,foreign=0.2,foreign-ms=50,echo=0.1,echo-ms=5",
         "--chunk-ms", "16", "--trace"},
        o, error))
        << error.toStdString();
    EXPECT_EQ((std::tuple{o.line.seed, o.port, o.trace, o.line.baud, o.line.chunkMs}),
              (std::tuple{6u, 210, true, 19200, 16}));
    EXPECT_EQ(o.line.latency, std::chrono::milliseconds(7));
    const FaultConfig& f = o.line.faults;
    EXPECT_TRUE(f.lost == 0.25 && f.noise == 0.5 && f.chatter == 1 && f.chatterMs == 100 &&
                f.foreign == 0.2 && f.foreignMs == 50 && f.echo == 0.1 && f.echoMs == 5 && f.any());
    ASSERT_EQ(o.units.size(), 3u);
    const UnitConfig& a = o.units[0];
    EXPECT_EQ((std::tuple{a.id, a.name, a.inputs, a.maxDelayLevel(), a.firmwareMajor}),
              (std::tuple{uint8_t{4}, std::string("Hall, left side"), 32, 250, uint8_t{3}}));
    EXPECT_TRUE(a.audio && !a.video && !a.bass);
    ASSERT_EQ(a.plugSchedule.size(), 2u);
    EXPECT_EQ(a.plugSchedule[1].kind, PlugKind::AudioOutput);
    EXPECT_FALSE(a.faults.has_value()); // the line's faults apply
    ASSERT_TRUE(o.units[1].faults.has_value());
    EXPECT_EQ(o.units[1].faults->silentAfterFrames, 5);
    EXPECT_EQ(o.units[1].faults->lost, 0); // its own faults, not the line's
    EXPECT_EQ(o.units[2].outputs, 9);
    EXPECT_EQ(o.units[2].faults->lateMs, 400);

    // A mistake in a config file names its line; one on the command line, the option.
    const std::vector<std::pair<const char*, const char*>> inFile = {
        {"[unit]\nid = 1\ncolour = red\n", "f:3: unknown unit key 'colour'"},
        {"id = 1\n", "f:1: key before"},
        {"[units]\n", "f:1: unknown section"},
        {"[line]\nbaud = 4800\n", "f:2: baud"},
        {"[unit]\nname = x\n", "has no id"},
        {"[unit]\nid = 1\nmax-delay = 150\n", "f:3:"},
        {"[unit]\nid=1\nplug-at = 5:xin:1:1\n", "plug-at"},
        {"[unit]\nid = 1\ninputs = 300\n", "f:3: inputs wants a whole number from 1 to 255"}};
    for (const auto& [text, message] : inFile) {
        o = SimOptions{};
        error.clear();
        EXPECT_FALSE(ConfigFile::Parse(QString::fromLatin1(text), QStringLiteral("f"), o, error));
        EXPECT_TRUE(error.contains(QLatin1String(message))) << error.toStdString();
    }
    const std::vector<std::pair<QStringList, const char*>> line = {
        {{"--unit", "id=1", "--unit", "id=1"}, "two units have id 1"},
        {{"--unit", "id=1,inputs"}, "not key=value"},
        {{"--demo", "--unit", "id=1"}, "--demo"},
        {{"--trace=yes"}, "unknown"},
        {{"--faults", "chatter-ms=0"}, "chatter-ms"},
        {{"--chunk-ms=-1"}, "chunk-ms"},
        {{"--port=0"}, "port wants a whole number from 1 to 255"},
        {{"--baud", "fast"}, "baud is 9600 or 19200"},
        {{"--unit", "name=NoId"}, "a unit needs id=0..31"},
        {{"--faults", "lost=2"}, "lost wants a chance from 0 to 1"},
        {{"--config", "/nonexistent/q.conf"}, "No such file"}};
    for (const auto& [args, message] : line) {
        o = SimOptions{};
        error.clear();
        EXPECT_FALSE(CommandLine::Parse(args, o, error)) << message;
        EXPECT_TRUE(error.contains(QLatin1String(message))) << error.toStdString();
    }
}

} // namespace
} // namespace quadrel::sim::test
