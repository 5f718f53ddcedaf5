// A scene's recall from quadrel-ctl on a free port, seen from the line: three
// 16x16 units that quadrel-sim plays at 9600 baud, a scene of routes and the
// four levels on every output of each, and the run timed by the emulator's
// trace from its first request to its last answer. The figure is that time
// against the wire time of the same frames (and against it plus the units'
// answer latency): what the program adds between frames. The frames are
// counted by kind, and the recall run again to show it then sends nothing.
// The floor is the same requests from a blocking program, one thread with
// plain reads and writes, on the same emulator: what the pseudo-terminal and
// the emulator's own timers cost each exchange, which no program avoids.
#include "link/CommandCodes.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr int kBaud = 9600;
constexpr double kByteS = 10.0 / kBaud;
constexpr int kPort = 215;
constexpr int kUnits = 3;
constexpr int kOutputs = 16;

bool Wait(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > limit.count()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// One line of `quadrel-sim --trace`: "   0.964897  in   21 3F 00 00 7E  unit 1".
struct Frame {
    double at = 0; // s: a request's end, an answer's last byte
    bool request = false;
    int bytes = 0;
    int code = 0;
    QByteArray raw; // the frame's bytes
};

std::optional<Frame> ParseFrame(const QString& line) {
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*([0-9.]+)\s+(in |out)\s+((?:[0-9A-F]{2} )*[0-9A-F]{2})  (.*)$)"));
    const QRegularExpressionMatch m = re.match(line);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    Frame f;
    f.at = m.captured(1).toDouble();
    f.request = m.captured(2) == QLatin1String("in ");
    f.bytes = static_cast<int>(m.captured(3).size() + 1) / 3;
    f.code = m.captured(3).mid(3, 2).toInt(nullptr, 16);
    f.raw = QByteArray::fromHex(m.captured(3).toLatin1());
    return f;
}

struct Span {
    std::vector<Frame> frames;
    int Requests() const {
        int n = 0;
        for (const Frame& f : frames) {
            n += f.request ? 1 : 0;
        }
        return n;
    }
    // Requests that set a value; a delay's two frames count twice.
    int Settings() const {
        int n = 0;
        for (const Frame& f : frames) {
            n += f.request && quadrel::IsSetCommand(static_cast<uint8_t>(f.code)) ? 1 : 0;
        }
        return n;
    }
    long Bytes() const {
        long n = 0;
        for (const Frame& f : frames) {
            n += f.bytes;
        }
        return n;
    }
    double Seconds() const {
        return frames.empty()
                   ? 0
                   : frames.back().at - (frames.front().at - frames.front().bytes * kByteS);
    }
    double Wire() const { return static_cast<double>(Bytes()) * kByteS; }
};

QByteArray SceneFile() {
    QByteArray units;
    for (int u = 1; u <= kUnits; ++u) {
        QByteArray set;
        for (int o = 1; o <= kOutputs; ++o) {
            set +=
                QStringLiteral("%1{\"output\": %2, \"audio\": %3, \"video\": %4, \"volume\": %5, "
                               "\"bass\": %6, \"treble\": %7, \"subwoofer\": %8}")
                    .arg(o == 1 ? "" : ", ")
                    .arg(o)
                    .arg((o + u) % kOutputs + 1)
                    .arg((o + 2 * u) % kOutputs + 1)
                    .arg(20 + o + u)
                    .arg(60 + o)
                    .arg(30 + o)
                    .arg(70 + u)
                    .toUtf8();
        }
        units += QStringLiteral("%1{\"id\": %2, \"name\": \"Room %2\", \"inputs\": %3, "
                                "\"outputs\": %3, \"set\": [")
                     .arg(u == 1 ? "" : ", ")
                     .arg(u)
                     .arg(kOutputs)
                     .toUtf8() +
                 set + "], \"edid\": []}";
    }
    return "{\"format\": \"quadrel-scenes\", \"version\": 1, \"scenes\": [{\"name\": \"Room\", "
           "\"shortcut\": \"\", \"units\": [" +
           units + "]}]}";
}

struct Outcome {
    bool ok = false;
    int status = -1;
    Span first, again;
};

// Writes each request and reads its answer whole before the next, as a
// program without an event loop would.
void Replay(const QString& alias, const std::vector<std::pair<QByteArray, int>>& exchanges) {
    const int fd = ::open(QFile::encodeName(alias).constData(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        return;
    }
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    char buffer[512];
    for (const auto& [request, answer] : exchanges) {
        if (::write(fd, request.constData(), static_cast<size_t>(request.size())) !=
            request.size()) {
            break;
        }
        for (int got = 0; got < answer;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            got += static_cast<int>(n);
        }
    }
    ::close(fd);
}

// The requests of a span, each with the length of the answer it had.
std::vector<std::pair<QByteArray, int>> Exchanges(const Span& s) {
    std::vector<std::pair<QByteArray, int>> out;
    for (const Frame& f : s.frames) {
        if (f.request) {
            out.emplace_back(f.raw, 0);
        } else if (!out.empty()) {
            out.back().second += f.bytes;
        }
    }
    return out;
}

Outcome Run(const QString& simPath, const QString& ctlPath, int latencyMs,
            const std::vector<std::pair<QByteArray, int>>* floor = nullptr) {
    Outcome out;
    QTemporaryDir dir;
    QDir().mkpath(dir.path() + "/Quadrel");
    QFile scenes(dir.path() + "/Quadrel/scenes.json");
    if (!scenes.open(QIODevice::WriteOnly) || scenes.write(SceneFile()) < 0) {
        return out;
    }
    scenes.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.path());
    env.insert("XDG_RUNTIME_DIR", dir.path());
    QStringList args{"--port",    QString::number(kPort),     "--baud", QString::number(kBaud),
                     "--latency", QString::number(latencyMs), "--trace"};
    for (int u = 1; u <= kUnits; ++u) {
        args << "--unit"
             << QStringLiteral("id=%1,name=Room %1,inputs=%2,outputs=%2").arg(u).arg(kOutputs);
    }
    QProcess sim;
    sim.setProcessEnvironment(env);
    sim.start(simPath, args);
    std::vector<Frame> frames;
    QByteArray text;
    QObject::connect(&sim, &QProcess::readyReadStandardOutput, &sim, [&] {
        text += sim.readAllStandardOutput();
        qsizetype end;
        while ((end = text.indexOf('\n')) >= 0) {
            if (const auto f = ParseFrame(QString::fromLatin1(text.left(end)))) {
                frames.push_back(*f);
            }
            text.remove(0, end + 1);
        }
    });
    const QString alias = dir.path() + QStringLiteral("/Quadrel/ports/com%1").arg(kPort);
    if (!Wait([&] { return QFileInfo(alias).exists(); }, 10s)) {
        std::printf("the emulator did not make its port\n");
        return out;
    }
    const auto recall = [&](Span& span) {
        const size_t from = frames.size();
        QProcess ctl;
        ctl.setProcessEnvironment(env);
        ctl.start(ctlPath, {"--port", QString::number(kPort), "--baud", QString::number(kBaud),
                            "scene", "recall", "Room"});
        Wait([&] { return ctl.state() == QProcess::NotRunning; }, 120s);
        // The last answers may still be in the pipe.
        Wait([&] { return false; }, 300ms);
        span.frames.assign(frames.begin() + static_cast<long>(from), frames.end());
        return ctl.exitStatus() == QProcess::NormalExit ? ctl.exitCode() : -1;
    };
    if (floor != nullptr) {
        std::thread host(Replay, alias, *floor);
        Wait([&] { return frames.size() >= 2 * floor->size(); }, 120s);
        host.join();
        Wait([&] { return false; }, 300ms);
        out.first.frames = frames;
        sim.terminate();
        sim.waitForFinished(5000);
        out.ok = !frames.empty();
        return out;
    }
    out.status = recall(out.first);
    recall(out.again);
    sim.terminate();
    sim.waitForFinished(5000);
    out.ok = out.status == 0 && !out.first.frames.empty();
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString dir = QCoreApplication::applicationDirPath();
    const QString simPath = dir + "/../sim/quadrel-sim";
    const QString ctlPath =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir + "/../src/ctl/quadrel-ctl";
    for (const int latency : {2, 0, 50}) {
        const Outcome o = Run(simPath, ctlPath, latency);
        if (!o.ok) {
            std::printf("latency %d ms: the recall did not end with 0 (status %d)\n", latency,
                        o.status);
            continue;
        }
        const Span& s = o.first;
        const double wire = s.Wire();
        const double floor = wire + s.Requests() * latency / 1000.0;
        std::printf("scene recall, %d units x %d outputs at %d baud, latency %d ms: %.1f ms for "
                    "%d requests (%d settings) and %ld bytes; wire time %.1f ms, ratio %.3f; "
                    "with the answer latency %.1f ms, ratio %.3f\n",
                    kUnits, kOutputs, kBaud, latency, s.Seconds() * 1e3, s.Requests(), s.Settings(),
                    s.Bytes(), wire * 1e3, s.Seconds() / wire, floor * 1e3, s.Seconds() / floor);
        std::printf("  the same recall again: %d requests, %d settings\n", o.again.Requests(),
                    o.again.Settings());
        const auto exchanges = Exchanges(s);
        const Outcome f = Run(simPath, ctlPath, latency, &exchanges);
        if (f.ok) {
            const Span& b = f.first;
            const double bfloor = b.Wire() + b.Requests() * latency / 1000.0;
            std::printf("  floor, a blocking program with the same %d requests: %.1f ms, ratio "
                        "%.3f to the wire time, %.3f with the answer latency; the recall takes "
                        "%.3f times the floor\n",
                        b.Requests(), b.Seconds() * 1e3, b.Seconds() / b.Wire(),
                        b.Seconds() / bfloor, s.Seconds() / b.Seconds());
        }
    }
    return 0;
}
