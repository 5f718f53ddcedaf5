// The line's owner under load, seen from the line: the real quadrel-server
// reads a 127 x 127 unit that quadrel-sim plays at 19200 baud, once alone
// and once while 10 clients ask `show` for that unit in a loop on the
// owner's local socket and 10 more hold subscriptions. The read (from its
// first frame after the unit's probe to the last answer of its status read)
// is timed by the emulator's trace, against the wire time of the same frames
// plus the units' answer latency, as bench_line times a live read. The
// frames are counted too: a `show` is answered from the model, so the read
// must need the same frames with the clients as without them.
#include "TraceSpan.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using quadrel::bench::Frame;
using quadrel::bench::ParseFrame;
using quadrel::bench::ReadSpan;
using quadrel::bench::Wait;

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kBaud = 19200;
constexpr double kByteS = 10.0 / kBaud;
constexpr double kLatencyS = 0.002; // quadrel-sim's default answer latency
constexpr int kPort = 214;
constexpr int kShowClients = 10;
constexpr int kSubscribers = 10;
constexpr long kShowAnswersWanted = 200;

// What the clients share with the benchmark.
struct Clients {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable wake;
    bool go = false;
    std::vector<double> latenciesMs;
    std::atomic<long> answers{0};
    std::atomic<long> failures{0};
    std::atomic<long> events{0};
    std::atomic<int> ready{0};
};

class LineSocket {
public:
    explicit LineSocket(const std::string& path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            Close();
            return;
        }
        // Short waits, so a client notices the end of the run.
        timeval t{0, 100000};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof t);
    }
    ~LineSocket() { Close(); }
    bool ok() const { return fd_ >= 0; }
    bool Send(const std::string& line) {
        return fd_ >= 0 && ::send(fd_, line.data(), line.size(), MSG_NOSIGNAL) ==
                               static_cast<ssize_t>(line.size());
    }
    // The next whole line; nothing when `stop` is set or the owner went.
    std::optional<QJsonObject> Next(const std::atomic<bool>& stop) {
        while (fd_ >= 0) {
            const size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                const QByteArray line = QByteArray::fromStdString(buffer_.substr(0, end));
                buffer_.erase(0, end + 1);
                return QJsonDocument::fromJson(line).object();
            }
            if (stop) {
                return std::nullopt;
            }
            char chunk[65536];
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n > 0) {
                buffer_.append(chunk, static_cast<size_t>(n));
            } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                Close();
            }
        }
        return std::nullopt;
    }

private:
    void Close() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = -1;
    }
    int fd_ = -1;
    std::string buffer_;
};

void ShowClient(const std::string& path, Clients& c) {
    LineSocket s(path);
    if (!s.ok() || !s.Send("{\"quadrel\":1,\"id\":0,\"command\":\"hello\"}\n") || !s.Next(c.stop)) {
        ++c.failures;
        ++c.ready;
        return;
    }
    ++c.ready;
    {
        std::unique_lock<std::mutex> lock(c.mutex);
        c.wake.wait(lock, [&] { return c.go || c.stop; });
    }
    for (long id = 1; !c.stop; ++id) {
        const auto t0 = Clock::now();
        if (!s.Send("{\"quadrel\":1,\"id\":" + std::to_string(id) +
                    ",\"command\":\"run\",\"args\":[\"show\",\"1\"]}\n")) {
            ++c.failures;
            return;
        }
        std::optional<QJsonObject> answer;
        while ((answer = s.Next(c.stop)) && !answer->contains(QLatin1String("status"))) {
        }
        if (!answer) {
            return;
        }
        if (answer->value(QLatin1String("status")).toInt(-1) != 0) {
            ++c.failures;
            continue;
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        std::lock_guard<std::mutex> lock(c.mutex);
        c.latenciesMs.push_back(ms);
        ++c.answers;
    }
}

void Subscriber(const std::string& path, Clients& c) {
    LineSocket s(path);
    if (!s.ok() || !s.Send("{\"quadrel\":1,\"id\":1,\"command\":\"subscribe\"}\n") ||
        !s.Next(c.stop)) {
        ++c.failures;
        ++c.ready;
        return;
    }
    ++c.ready;
    while (const auto line = s.Next(c.stop)) {
        if (line->contains(QLatin1String("event"))) {
            ++c.events;
        }
    }
}

struct Outcome {
    bool ok = false;
    ReadSpan read{kByteS, kLatencyS};
    long showAnswers = 0;
    long showAnswersDuringRead = 0;
    long failures = 0;
    long events = 0;
    double medianMs = 0;
    double p99Ms = 0;
    double maxMs = 0;
};

Outcome Run(const QString& simPath, const QString& serverPath, bool withClients) {
    Outcome out;
    QTemporaryDir dir;
    const QString runtime = dir.path() + "/run";
    QDir().mkpath(runtime);
    QFile(runtime).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.path());
    env.insert("XDG_RUNTIME_DIR", runtime);

    QProcess sim;
    sim.setProcessEnvironment(env);
    sim.start(simPath, {"--port", QString::number(kPort), "--baud", QString::number(kBaud),
                        "--trace", "--unit", "id=1,inputs=127,outputs=127"});
    QByteArray simText;
    QObject::connect(&sim, &QProcess::readyReadStandardOutput, &sim, [&] {
        simText += sim.readAllStandardOutput();
        qsizetype end;
        while ((end = simText.indexOf('\n')) >= 0) {
            if (const auto f = ParseFrame(QString::fromLatin1(simText.left(end)))) {
                out.read.Take(*f);
            }
            simText.remove(0, end + 1);
        }
    });
    const QString alias = dir.path() + QStringLiteral("/Quadrel/ports/com%1").arg(kPort);
    if (!Wait([&] { return QFileInfo(alias).exists(); }, 10s)) {
        std::printf("the emulator did not make its port\n");
        return out;
    }

    QProcess server;
    server.setProcessEnvironment(env);
    QByteArray said;
    QObject::connect(&server, &QProcess::readyReadStandardError, &server,
                     [&] { said += server.readAllStandardError(); });
    server.start(serverPath, {"--port", QString::number(kPort), "--baud", QString::number(kBaud)});
    const std::string socket =
        (runtime + QStringLiteral("/quadrel/quadrel-com%1").arg(kPort)).toStdString();
    if (!Wait([&] { return said.contains("serving COM"); }, 10s)) {
        std::printf("quadrel-server did not serve the port: %s\n", said.constData());
        return out;
    }

    Clients c;
    std::vector<std::thread> threads;
    if (withClients) {
        for (int i = 0; i < kSubscribers; ++i) {
            threads.emplace_back(Subscriber, socket, std::ref(c));
        }
        for (int i = 0; i < kShowClients; ++i) {
            threads.emplace_back(ShowClient, socket, std::ref(c));
        }
        Wait([&] { return c.ready == kSubscribers + kShowClients; }, 10s);
        // Asked before the owner has found the unit, a show would probe it
        // itself: the clients start when the owner says it found it.
        Wait([&] { return said.contains("unit 01 found"); }, 10s);
        {
            std::lock_guard<std::mutex> lock(c.mutex);
            c.go = true;
        }
        c.wake.notify_all();
    }
    out.ok = Wait([&] { return out.read.done; }, 60s);
    out.showAnswersDuringRead = c.answers;
    if (withClients) {
        // The owner answers runs once its scan of the line is over.
        Wait([&] { return c.answers >= kShowAnswersWanted; }, 120s);
    }
    c.stop = true;
    {
        std::lock_guard<std::mutex> lock(c.mutex);
        c.go = true;
    }
    c.wake.notify_all();
    for (std::thread& t : threads) {
        t.join();
    }
    out.showAnswers = c.answers;
    out.failures = c.failures;
    out.events = c.events;
    if (!c.latenciesMs.empty()) {
        std::sort(c.latenciesMs.begin(), c.latenciesMs.end());
        const std::vector<double>& l = c.latenciesMs;
        out.medianMs = l[l.size() / 2];
        out.p99Ms = l[std::min(l.size() - 1, l.size() * 99 / 100)];
        out.maxMs = l.back();
    }
    server.terminate();
    server.waitForFinished(5000);
    sim.terminate();
    sim.waitForFinished(5000);
    out.ok = out.ok && !out.read.frames.empty();
    return out;
}

void Print(const char* what, const Outcome& o) {
    if (!o.ok) {
        std::printf("%s: the read was not seen on the line\n", what);
        return;
    }
    std::printf("%s: read %.1f ms for %d exchanges and %ld bytes; wire time %.1f ms; "
                "ratio %.3f\n",
                what, o.read.Seconds() * 1e3, o.read.Exchanges(), o.read.Bytes(),
                o.read.WireSeconds() * 1e3, o.read.Seconds() / o.read.WireSeconds());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString dir = QCoreApplication::applicationDirPath();
    const QString simPath = dir + "/../sim/quadrel-sim";
    const QString serverPath =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir + "/../src/server/quadrel-server";
    const Outcome alone = Run(simPath, serverPath, false);
    Print("owner's read of a 127x127 unit, no clients", alone);
    const Outcome busy = Run(simPath, serverPath, true);
    Print("owner's read of a 127x127 unit, 20 clients", busy);
    std::printf("show answers: %ld (%ld while the read ran), median %.1f ms, p99 %.1f ms, "
                "largest %.1f ms; failures %ld; events to %d subscribers: %ld\n",
                busy.showAnswers, busy.showAnswersDuringRead, busy.medianMs, busy.p99Ms, busy.maxMs,
                busy.failures, kSubscribers, busy.events);
    if (alone.ok && busy.ok) {
        std::printf("frames of the read: %d exchanges without clients, %d with; %s\n",
                    alone.read.Exchanges(), busy.read.Exchanges(),
                    alone.read.Exchanges() == busy.read.Exchanges() &&
                            alone.read.Bytes() == busy.read.Bytes()
                        ? "the same"
                        : "they differ");
    }
    return 0;
}
