// The network doors under load, seen from the line and from the clients:
// the real quadrel-server with its HTTP API on quadrel-sim at 19200 baud.
// 1. An idle line: from a POST of a route to the start of its first frame
//    on the wire (the emulator's trace, its clock matched to ours by the
//    smallest gap seen), over 60 routes.
// 2. GET of a unit's state from the model on keep-alive connections, for
//    three seconds: answers per second.
// 3. The owner's read of a 127 x 127 unit while 20 clients hold event
//    streams and GETs come at 50 a second, against the wire time of the
//    same frames plus the units' answer latency, as bench_owner times it.
#include "TraceSpan.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
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
constexpr int kPort = 215;
constexpr int kApiPort = 18591;
constexpr int kSubscribers = 20;

// A blocking HTTP/1.1 client on one keep-alive connection.
class Http {
public:
    Http() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(kApiPort);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
        timeval t{0, 200000};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof t);
    }
    ~Http() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool ok() const { return fd_ >= 0; }
    bool Send(const std::string& s) {
        return ::send(fd_, s.data(), s.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(s.size());
    }
    // The status of the next whole answer; 0 when none came.
    int Answer(const std::atomic<bool>* stop = nullptr) {
        for (;;) {
            const size_t head = buffer_.find("\r\n\r\n");
            if (head != std::string::npos) {
                const size_t at = buffer_.find("Content-Length: ");
                const size_t length = at < head ? std::stoul(buffer_.substr(at + 16)) : 0;
                if (buffer_.size() >= head + 4 + length) {
                    const int status = std::atoi(buffer_.c_str() + 9);
                    buffer_.erase(0, head + 4 + length);
                    return status;
                }
            }
            if (!Fill() && (stop == nullptr || *stop)) {
                return 0;
            }
        }
    }
    // Reads what came; false on a time-out or the end.
    bool Fill() {
        char chunk[65536];
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n > 0) {
            buffer_.append(chunk, static_cast<size_t>(n));
            return true;
        }
        return false;
    }
    std::string& buffer() { return buffer_; }

private:
    int fd_ = -1;
    std::string buffer_;
};

std::string Get(const std::string& token, const std::string& path) {
    return "GET " + path + " HTTP/1.1\r\nAuthorization: Bearer " + token + "\r\n\r\n";
}

std::string Post(const std::string& token, const std::string& path, const std::string& body) {
    return "POST " + path + " HTTP/1.1\r\nAuthorization: Bearer " + token +
           "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

double Percentile(std::vector<double> v, int p) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, v.size() * p / 100)];
}

// The emulator and the owner with its API, in a folder of their own.
struct Line {
    QTemporaryDir dir;
    QProcess sim, server;
    QByteArray simText, said;
    std::string token;
    std::function<void(const Frame&, Clock::time_point)> onFrame;

    bool Start(const QString& simPath, const QString& serverPath, const QString& ctlPath,
               const QString& unit) {
        const QString runtime = dir.path() + "/run";
        QDir().mkpath(runtime);
        QFile(runtime).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir.path());
        env.insert("XDG_RUNTIME_DIR", runtime);
        QProcess ctl;
        ctl.setProcessEnvironment(env);
        ctl.start(ctlPath, {"token", "create", "bench", "--role", "technician"});
        ctl.waitForFinished(10000);
        token = ctl.readAllStandardOutput().trimmed().toStdString();
        sim.setProcessEnvironment(env);
        sim.start(simPath, {"--port", QString::number(kPort), "--baud", QString::number(kBaud),
                            "--trace", "--unit", unit});
        QObject::connect(&sim, &QProcess::readyReadStandardOutput, &sim, [this] {
            const Clock::time_point now = Clock::now();
            simText += sim.readAllStandardOutput();
            qsizetype end;
            while ((end = simText.indexOf('\n')) >= 0) {
                if (const auto f = ParseFrame(QString::fromLatin1(simText.left(end)))) {
                    if (onFrame) {
                        onFrame(*f, now);
                    }
                }
                simText.remove(0, end + 1);
            }
        });
        const QString alias = dir.path() + QStringLiteral("/Quadrel/ports/com%1").arg(kPort);
        if (!Wait([&] { return QFileInfo(alias).exists(); }, 10s)) {
            return false;
        }
        server.setProcessEnvironment(env);
        QObject::connect(&server, &QProcess::readyReadStandardError, &server,
                         [this] { said += server.readAllStandardError(); });
        server.start(serverPath, {"--port", QString::number(kPort), "--baud",
                                  QString::number(kBaud), "--api-port", QString::number(kApiPort)});
        return !token.empty() && Wait([&] { return said.contains("HTTP API on"); }, 10s);
    }
    ~Line() {
        server.terminate();
        server.waitForFinished(5000);
        sim.terminate();
        sim.waitForFinished(5000);
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString dir = QCoreApplication::applicationDirPath();
    const QString simPath = dir + "/../sim/quadrel-sim";
    const QString ctlPath = dir + "/../src/ctl/quadrel-ctl";
    const QString serverPath =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir + "/../src/server/quadrel-server";

    // 1 and 2: a small unit on an idle line.
    {
        Line line;
        double offset = 1e9;                          // our clock minus the emulator's, least seen
        std::vector<std::pair<double, int>> settings; // start on the wire (our clock), bytes
        const Clock::time_point zero = Clock::now();
        line.onFrame = [&](const Frame& f, Clock::time_point now) {
            const double ours = std::chrono::duration<double>(now - zero).count();
            offset = std::min(offset, ours - f.at);
            if (f.request && f.note == QLatin1String("unit 1")) {
                settings.emplace_back(f.at - f.bytes * kByteS, f.bytes);
            }
        };
        if (!line.Start(simPath, serverPath, ctlPath, "id=1,inputs=8,outputs=8")) {
            std::printf("the owner did not start: %s\n", line.said.constData());
            return 1;
        }
        // Read through first, so the routes find the line idle.
        Wait(
            [&] {
                Http h;
                h.Send(Get(line.token, "/api/v1/units/1"));
                h.Answer();
                return h.buffer().empty() && line.said.contains("Scan ended");
            },
            60s);
        Wait([] { return false; }, 1500ms);
        std::vector<double> toFrame;
        Http h;
        for (int i = 0; i < 60; ++i) {
            Wait([] { return false; }, 300ms); // the poll's own exchanges are over
            const size_t before = settings.size();
            const double sent = std::chrono::duration<double>(Clock::now() - zero).count();
            h.Send(Post(line.token, "/api/v1/units/1/route",
                        "{\"input\":" + std::to_string(1 + i % 8) + ",\"output\":2}"));
            std::atomic<bool> stop{false};
            std::thread reader([&] { h.Answer(&stop); });
            Wait([&] { return settings.size() > before; }, 5s);
            stop = true;
            reader.join();
            if (settings.size() > before) {
                toFrame.push_back((settings[before].first + offset - sent) * 1e3);
            }
        }
        std::printf("request to frame on an idle line: %zu routes, median %.2f ms, p90 %.2f ms\n",
                    toFrame.size(), Percentile(toFrame, 50), Percentile(toFrame, 90));

        std::atomic<bool> stop{false};
        std::atomic<long> answers{0};
        std::vector<std::thread> clients;
        for (int c = 0; c < 4; ++c) {
            clients.emplace_back([&] {
                Http g;
                while (!stop) {
                    g.Send(Get(line.token, "/api/v1/units/1"));
                    answers += g.Answer(&stop) == 200 ? 1 : 0;
                }
            });
        }
        const Clock::time_point t0 = Clock::now();
        Wait([] { return false; }, 3s);
        stop = true;
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        for (std::thread& t : clients) {
            t.join();
        }
        std::printf("GET of a unit's state from the model: %.0f answers/s (%ld in %.1f s, 4 "
                    "connections)\n",
                    answers / seconds, answers.load(), seconds);
    }

    // 3: the read of a 127 x 127 unit with event streams and GETs.
    for (const bool busy : {false, true}) {
        Line line;
        ReadSpan read{kByteS, kLatencyS};
        line.onFrame = [&](const Frame& f, Clock::time_point) { read.Take(f); };
        if (!line.Start(simPath, serverPath, ctlPath, "id=1,inputs=127,outputs=127")) {
            std::printf("the owner did not start: %s\n", line.said.constData());
            return 1;
        }
        std::atomic<bool> stop{false};
        std::atomic<long> events{0}, gets{0};
        std::vector<std::thread> clients;
        if (busy) {
            for (int c = 0; c < kSubscribers; ++c) {
                clients.emplace_back([&] {
                    Http s;
                    s.Send(Get(line.token, "/api/v1/events"));
                    while (!stop) {
                        if (s.Fill()) {
                            size_t at;
                            while ((at = s.buffer().find("\n\n")) != std::string::npos) {
                                events += s.buffer().compare(0, 6, "event:") == 0 ? 1 : 0;
                                s.buffer().erase(0, at + 2);
                            }
                        }
                    }
                });
            }
            clients.emplace_back([&] {
                Http g;
                Clock::time_point next = Clock::now();
                while (!stop) {
                    g.Send(Get(line.token, "/api/v1/units/1"));
                    gets += g.Answer(&stop) != 0 ? 1 : 0;
                    next += 20ms;
                    std::this_thread::sleep_until(next);
                }
            });
        }
        const bool seen = Wait([&] { return read.done; }, 120s);
        stop = true;
        for (std::thread& t : clients) {
            t.join();
        }
        if (!seen || read.frames.empty()) {
            std::printf("the read was not seen on the line\n");
            continue;
        }
        std::printf("read of a 127x127 unit, %s: read %.1f ms for %d exchanges and %ld bytes; "
                    "wire time %.1f ms; ratio %.3f%s\n",
                    busy ? "20 event streams and 50 GET/s" : "no clients", read.Seconds() * 1e3,
                    read.Exchanges(), read.Bytes(), read.WireSeconds() * 1e3,
                    read.Seconds() / read.WireSeconds(),
                    busy ? QStringLiteral("; %1 GETs answered, %2 events")
                               .arg(gets.load())
                               .arg(events.load())
                               .toLatin1()
                               .constData()
                         : "");
    }
    return 0;
}
