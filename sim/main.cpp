// quadrel-sim: switcher units on a pseudo-terminal, found by Quadrel as port N.
#include "link/basCOMM.h"
#include "link/qt/SignalWatcher.h"
#include "sim/CommandLine.h"
#include "sim/DemoLineup.h"
#include "sim/PortAlias.h"
#include "sim/ProtocolEngine.h"
#include "sim/PtyLine.h"
#include "sim/QtScheduler.h"
#include "sim/TraceFormat.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

using namespace quadrel;
using namespace quadrel::sim;

namespace {

int Fail(const QString& message, int code) {
    QTextStream(stderr) << "quadrel-sim: " << message << '\n';
    return code;
}

QString UnitList(const ProtocolEngine& engine) {
    QStringList lines;
    for (const Unit* u : engine.units()) {
        const UnitConfig& c = u->config();
        lines << QStringLiteral("  unit %1  %2  %3 in, %4 out, %5%6")
                     .arg(c.id, 2)
                     .arg(QString::fromLatin1(c.name.c_str()))
                     .arg(c.inputs)
                     .arg(c.outputs)
                     .arg(c.audio && c.video ? QStringLiteral("audio and video")
                          : c.audio          ? QStringLiteral("audio only")
                          : c.video          ? QStringLiteral("video only")
                                             : QStringLiteral("no sections"))
                     .arg(c.faults && c.faults->any() ? QStringLiteral(", with faults")
                                                      : QString());
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

int main(int argc, char** argv) {
    SignalWatcher::Block();
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    SimOptions options;
    QString error;
    if (!CommandLine::Parse(args, options, error)) {
        return Fail(error + QStringLiteral("\n(quadrel-sim --help explains the options)"), 2);
    }
    if (options.help) {
        QTextStream(stdout) << CommandLine::Help();
        return 0;
    }
    const std::vector<UnitConfig> units =
        options.units.empty() ? DemoLineup::Units() : options.units;

    QtScheduler scheduler;
    ProtocolEngine engine(scheduler, options.line);
    for (const UnitConfig& unit : units) {
        engine.addUnit(unit);
    }
    PtyLine line(engine);
    if (!line.open(error)) {
        return Fail(error, 1);
    }
    PortAlias alias(PortFolders::FromEnvironment().aliasDir, options.port);
    if (!alias.claim(line.slavePath(), error)) {
        return Fail(error, 1);
    }
    SignalWatcher watcher([&app](int) { app.quit(); }, &app);

    QTextStream out(stdout);
    if (options.trace) {
        engine.setTrace([&out](const LineEvent& event) {
            out << TraceFormat::Line(event) << '\n';
            out.flush();
        });
    }
    out << QStringLiteral("quadrel-sim serves COM%1 (%2 -> %3) at %4 baud, seed %5:\n%6\n"
                          "Ctrl+C ends it and removes the alias.\n")
               .arg(options.port)
               .arg(alias.aliasPath(), line.slavePath())
               .arg(options.line.baud)
               .arg(options.line.seed)
               .arg(UnitList(engine));
    out.flush();
    return QCoreApplication::exec();
}
