// The processor share of the program while it polls quadrel-sim's demo
// line-up, with the log window closed, open but stopped, running in hex and
// running in words. The program is wired as main() wires it (the window
// offscreen, the production port and timers, the system clock); the
// emulator runs in its own process on a pseudo-terminal, so only the
// program's own time is counted, from getrusage over each stretch.
//   bench_trace_cpu QUADREL-SIM [SECONDS]
#include "app/QtMessageBoxes.h"
#include "app/SystemLogClock.h"
#include "app/basMain.h"
#include "app/frmMain.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimer.h"
#include "log/frmLog.h"
#include "model/PortSettings.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

#include <sys/resource.h>

namespace {

constexpr int kPort = 236;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for `ms`, or until `done` says so.
bool RunFor(int ms, const std::function<bool()>& done = {}) {
    QEventLoop loop;
    QTimer end;
    end.setSingleShot(true);
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer check;
    if (done) {
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (done()) {
                loop.quit();
            }
        });
        check.start(100);
    }
    end.start(ms);
    loop.exec();
    return !done || done();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_trace_cpu QUADREL-SIM [SECONDS]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    QTemporaryDir home;
    QDir(home.path()).mkpath("config/Quadrel");
    QFile conf(home.filePath("config/Quadrel/Quadrel.conf"));
    if (!conf.open(QIODevice::WriteOnly)) {
        return 1;
    }
    conf.write(QStringLiteral("[COM]\nPORT%20NUMBER=%1\nBAUD%20RATE=9600\n").arg(kPort).toUtf8());
    conf.close();
    // Before anything reads the folders: the program and the emulator share them.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
    qputenv("XDG_STATE_HOME", QFile::encodeName(home.filePath("state")));

    QApplication app(argc, argv);
    QProcess sim;
    int requests = 0;
    const QRegularExpression request(QStringLiteral("^\\s*[0-9.]+\\s+in\\s"));
    QObject::connect(&sim, &QProcess::readyReadStandardOutput, &sim, [&] {
        while (sim.canReadLine()) {
            if (request.match(QString::fromLatin1(sim.readLine())).hasMatch()) {
                ++requests;
            }
        }
    });
    sim.start(QString::fromLocal8Bit(argv[1]),
              {"--demo", "--port", QString::number(kPort), "--trace"});
    const QString alias = home.filePath(QStringLiteral("config/Quadrel/ports/com%1").arg(kPort));
    if (!RunFor(5000, [&] { return QFile::exists(alias); })) {
        std::fprintf(stderr, "quadrel-sim did not start\n");
        return 1;
    }

    quadrel::basCOMM comm(quadrel::PortFolders::FromEnvironment());
    quadrel::QtSerialPort port(comm);
    quadrel::QtTimerFactory timers;
    quadrel::QtMessageBoxes messages;
    quadrel::SystemLogClock clock;
    quadrel::basMain program({comm, port, timers, messages, clock,
                              quadrel::PortSettings::DefaultFileName(), home.path(),
                              [&port] { return port.lastError(); }, QString(), QString()});
    program.DrawAfterFrames(std::chrono::milliseconds(1));
    if (!program.Main()) {
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    // The scan of 32 IDs takes about 26 s at 9600 baud; then only the poll runs.
    bool scanned = false;
    RunFor(120000, [&] {
        scanned = scanned || program.core().model.blScanning;
        return scanned && !program.core().model.blScanning;
    });
    RunFor(2000);

    std::printf("the program polling the demo line-up at 9600 baud, %d s each:\n", seconds);
    const auto measure = [&](const char* what) {
        const int before = requests;
        const double cpu = CpuSeconds();
        RunFor(seconds * 1000);
        const double used = CpuSeconds() - cpu;
        const int asked = requests - before;
        std::printf("log window %-18s %6.2f %% of a core, %4d requests, %.3f ms per request\n",
                    what, 100.0 * used / seconds, asked, asked > 0 ? 1000.0 * used / asked : 0.0);
        std::fflush(stdout);
    };
    measure("closed:");
    program.mainWindow()->ShowLogWindow();
    quadrel::frmLog* log = program.mainWindow()->logWindow();
    RunFor(1000);
    measure("open, stopped:");
    log->mnuRun()->trigger();
    measure("running in hex:");
    log->mnuWords()->setChecked(true);
    measure("running in words:");
    log->mnuWords()->setChecked(false);
    log->mnuStop()->trigger();
    log->Unload();
    program.mainWindow()->Unload();
    sim.terminate();
    sim.waitForFinished(3000);
    return 0;
}
