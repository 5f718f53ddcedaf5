// The program's turnaround as the line sees it: the real quadrel, its main
// window shown offscreen, reads a unit with every capability through a
// pseudo-terminal; this process is that unit, answering with a real line's
// timing (wire time at the baud rate and the unit's latency). Timed from the unit's write of
// an answer to its read of the next request. The floor is the same
// measurement against a minimal blocking program (no event loop) that sends
// the same requests, each as soon as it has read the previous answer. Besides
// p50, p99 and the largest it counts the turnarounds over 0.5 ms, and says how
// much of the processors' time the host took during each run.
// Usage: bench_turnaround <path to quadrel> [baud [exchanges]]
// (QUADREL_BENCH_LIST=1 lists every turnaround with the request that ended it
// and the answer's time on the monotonic clock, as `perf record -k
// CLOCK_MONOTONIC` stamps its samples.)
#include "link/VirtualClock.h"
#include "sim/ProtocolEngine.h"
#include "sim/VirtualScheduler.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace quadrel;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPort = 231;

struct Pty {
    int master = -1;
    int slave = -1; // held here too, so the master never reads EIO between users
    std::string slavePath;
    bool open() {
        struct termios raw {};
        ::cfmakeraw(&raw);
        char name[256] = {};
        if (::openpty(&master, &slave, name, &raw, nullptr) != 0) {
            return false;
        }
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave, F_SETFD, FD_CLOEXEC);
        slavePath = name;
        return true;
    }
    ~Pty() {
        if (slave >= 0) {
            ::close(slave);
        }
        if (master >= 0) {
            ::close(master);
        }
    }
};

sim::UnitConfig EveryCapability(uint8_t id) {
    sim::UnitConfig u;
    u.id = id;
    u.name = "Bench 64x64";
    u.inputs = 64;
    u.outputs = 64;
    u.memories = 15;
    u.maxDelayTenths = 20;
    u.longFrames = true;
    return u;
}

// One run of the line on `pty`: a unit at every ID answers every good
// request; the time from each answer written to the next bytes read is noted,
// except the pauses of the 1 s status poll, and the requests answered are
// kept. Ends after `exchanges` turnarounds or `requests` requests answered,
// or after 60 s.
struct UnitRun {
    std::vector<double> turnaroundsUs;
    std::vector<Bytes> requests;  // every request read, in order (each is answered)
    std::vector<Bytes> next;      // the request that ended each turnaround
    std::vector<double> answersS; // when each turnaround began, monotonic seconds
    int pollPauses = 0;           // pauses left out as the poll timer's
};

// Longer than any turnaround, shorter than the poll timer's 1 s less a poll set.
constexpr double kPollPauseUs = 500e3;

UnitRun ServeLine(Pty& pty, int baud, size_t exchanges, size_t requests) {
    UnitRun run;
    VirtualClock clock;
    sim::VirtualScheduler scheduler(clock);
    sim::LineConfig line;
    line.baud = baud;
    sim::ProtocolEngine engine(scheduler, line);
    // The first ID's unit is selected and read in full; the others answer
    // the scan, after which the poll runs.
    for (uint8_t id = 0; id < 32; ++id) {
        engine.addUnit(EveryCapability(id));
    }

    Clock::time_point answerAt{};
    bool answerOut = false;
    // The engine's virtual time runs from each read; an answer goes out when
    // a real line would deliver it: the request's and the answer's wire time
    // and the unit's latency after the request was read. It comes byte by
    // byte; the last one starts the turnaround.
    Clock::time_point lineStart{};
    VirtualClock::TimePoint virtualStart{0};
    engine.setOutput([&](const Bytes& bytes) {
        std::this_thread::sleep_until(lineStart + (clock.now() - virtualStart));
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(pty.master, bytes.data() + done, bytes.size() - done);
            if (n <= 0) {
                return;
            }
            done += static_cast<size_t>(n);
        }
        answerAt = Clock::now();
        answerOut = true;
    });

    Bytes pending;
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < deadline) {
        struct pollfd pfd {
            pty.master, POLLIN, 0
        };
        if (::poll(&pfd, 1, 200) <= 0) {
            continue;
        }
        uint8_t buffer[512];
        const ssize_t n = ::read(pty.master, buffer, sizeof buffer);
        const Clock::time_point readAt = Clock::now();
        if (n <= 0) {
            if (n < 0 && errno == EAGAIN) {
                continue;
            }
            break;
        }
        const Bytes bytes(buffer, buffer + n);
        if (answerOut) {
            const double us = std::chrono::duration<double, std::micro>(readAt - answerAt).count();
            if (us < kPollPauseUs) {
                run.turnaroundsUs.push_back(us);
                run.next.push_back(bytes);
                run.answersS.push_back(
                    std::chrono::duration<double>(answerAt.time_since_epoch()).count());
            } else {
                ++run.pollPauses;
            }
            answerOut = false;
        }
        pending.insert(pending.end(), bytes.begin(), bytes.end());
        // Every request the program sends is five bytes long.
        while (pending.size() >= 5) {
            run.requests.emplace_back(pending.begin(), pending.begin() + 5);
            pending.erase(pending.begin(), pending.begin() + 5);
        }
        lineStart = readAt;
        virtualStart = clock.now();
        engine.hostWrite(bytes);
        clock.advance(std::chrono::seconds(1)); // the answer, in virtual time
        if (run.turnaroundsUs.size() >= exchanges || run.requests.size() >= requests) {
            break;
        }
    }
    return run;
}

bool SetGroup(uint8_t code) {
    static const uint8_t set[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x10,
                                  0x12, 0x14, 0x16, 0x18, 0x1C, 0x1E, 0x20};
    return std::find(std::begin(set), std::end(set), code) != std::end(set);
}

bool ReadExactly(int fd, uint8_t* into, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd, into + done, count - done);
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// The floor's host, in a child process: blocking reads and writes only.
[[noreturn]] void FloorHost(const std::string& slavePath, const std::vector<Bytes>& requests) {
    const int fd = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        ::_exit(1);
    }
    struct termios raw {};
    ::tcgetattr(fd, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);
    uint8_t answer[512];
    for (const Bytes& request : requests) {
        if (::write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
            ::_exit(1);
        }
        if (!ReadExactly(fd, answer, 2)) {
            ::_exit(1);
        }
        if (!SetGroup(request[1] & 0x7F) && (answer[0] & 0x80) != 0 &&
            !ReadExactly(fd, answer + 2, answer[1] + 1u)) {
            ::_exit(1);
        }
    }
    ::close(fd);
    ::_exit(0);
}

// Ends the program: asked first, then killed when it lingers.
void Stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (::waitpid(pid, nullptr, WNOHANG) == 0) {
        if (Clock::now() > until) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            return;
        }
        ::usleep(10000);
    }
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())));
    return v[i];
}

void Print(const char* who, const std::vector<double>& v) {
    const double most = v.empty() ? 0 : *std::max_element(v.begin(), v.end());
    const auto slow = std::count_if(v.begin(), v.end(), [](double us) { return us > 500; });
    std::printf("%s: %zu exchanges, p50 %.1f us, p99 %.1f us, max %.1f us, %td over 500 us\n", who,
                v.size(), Percentile(v, 0.5), Percentile(v, 0.99), most, slow);
}

// The processors' time the host took from this machine (steal, in /proc/stat;
// none outside a virtual machine): with p99 the second largest of 200, one
// stall of the host's decides a run.
struct CpuTimes {
    unsigned long long steal = 0;
    unsigned long long total = 0;
};

CpuTimes ReadCpuTimes() {
    std::ifstream stat("/proc/stat");
    std::string cpu;
    stat >> cpu;
    CpuTimes t;
    unsigned long long v = 0;
    // user nice system idle iowait irq softirq steal; guest time is in user's.
    for (int i = 0; i < 8 && stat >> v; ++i) {
        t.total += v;
        if (i == 7) {
            t.steal = v;
        }
    }
    return t;
}

double StealPercent(const CpuTimes& from, const CpuTimes& to) {
    const unsigned long long total = to.total - from.total;
    return total == 0
               ? 0
               : 100.0 * static_cast<double>(to.steal - from.steal) / static_cast<double>(total);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_turnaround <path to quadrel> [baud [exchanges]]\n");
        return 2;
    }
    const std::string program = argv[1];
    const int baud = argc > 2 ? std::atoi(argv[2]) : 19200;
    const size_t exchanges = argc > 3 ? static_cast<size_t>(std::atol(argv[3])) : 200;
    std::signal(SIGPIPE, SIG_IGN);

    char dirTemplate[] = "/tmp/quadrel-turnaround-XXXXXX";
    if (::mkdtemp(dirTemplate) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path dir = dirTemplate;
    Pty line;
    if (!line.open()) {
        std::perror("openpty");
        return 1;
    }
    std::filesystem::create_directories(dir / "Quadrel/ports");
    std::filesystem::create_symlink(line.slavePath,
                                    dir / "Quadrel/ports" / ("com" + std::to_string(kPort)));
    std::ofstream(dir / "Quadrel/Quadrel.conf")
        << "[COM]\nPORT%20NUMBER=" << kPort << "\nBAUD%20RATE=" << baud << "\n";

    // The program, window and all, offscreen, in a profile of its own: its
    // state too, so every run is a first start (no units last seen).
    const std::string xdg = "XDG_CONFIG_HOME=" + dir.string();
    const std::string state = "XDG_STATE_HOME=" + (dir / "state").string();
    std::vector<std::string> envText{xdg, state, "QT_QPA_PLATFORM=offscreen"};
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "XDG_CONFIG_HOME=", 16) != 0 &&
            std::strncmp(*e, "XDG_STATE_HOME=", 15) != 0 &&
            std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0) {
            envText.emplace_back(*e);
        }
    }
    std::vector<char*> env;
    for (std::string& s : envText) {
        env.push_back(s.data());
    }
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = (dir / "program.txt").string();
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::string arg0 = program;
    char* args[] = {arg0.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, args, env.data()) != 0) {
        std::perror("posix_spawn");
        return 1;
    }
    posix_spawn_file_actions_destroy(&actions);

    // The scan: the first unit's probe and its full read, which the program
    // puts ahead of the other probes, then those; then the status poll.
    const CpuTimes programFrom = ReadCpuTimes();
    const UnitRun real = ServeLine(line, baud, exchanges, SIZE_MAX);
    const CpuTimes programTo = ReadCpuTimes();
    Stop(pid);

    // The floor: the same requests from a blocking program.
    Pty floorLine;
    if (!floorLine.open()) {
        std::perror("openpty");
        return 1;
    }
    const pid_t host = ::fork();
    if (host == 0) {
        FloorHost(floorLine.slavePath, real.requests);
    }
    const CpuTimes floorFrom = ReadCpuTimes();
    const UnitRun floor = ServeLine(floorLine, baud, SIZE_MAX, real.requests.size());
    const CpuTimes floorTo = ReadCpuTimes();
    // Every request has been answered: a host still waiting has lost its way.
    int status = 0;
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (::waitpid(host, &status, WNOHANG) == 0) {
        if (Clock::now() > until) {
            ::kill(host, SIGKILL);
            ::waitpid(host, &status, 0);
            break;
        }
        ::usleep(10000);
    }
    std::filesystem::remove_all(dir);

    if (const char* list = std::getenv("QUADREL_BENCH_LIST"); list != nullptr && *list == '1') {
        for (size_t i = 0; i < real.turnaroundsUs.size(); ++i) {
            std::printf("%4zu %10.1f us  at %.6f  next:", i, real.turnaroundsUs[i],
                        real.answersS[i]);
            for (const uint8_t b : real.next[i]) {
                std::printf(" %02X", b);
            }
            std::printf("\n");
        }
    }
    std::printf("one byte at %d baud: %.1f us\n", baud, 10e6 / baud);
    Print("program (quadrel, main window offscreen)", real.turnaroundsUs);
    Print("floor (blocking program, same requests)", floor.turnaroundsUs);
    std::printf("poll timer pauses left out: %d\n", real.pollPauses);
    std::printf("host's steal of the processors' time: %.1f %% during the program's run, %.1f %% "
                "during the floor's\n",
                StealPercent(programFrom, programTo), StealPercent(floorFrom, floorTo));
    const bool hostOk = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (real.turnaroundsUs.size() < exchanges || !hostOk) {
        std::printf("incomplete run: %s\n",
                    hostOk ? "the program stopped asking" : "the floor's host failed");
        return 1;
    }
    return 0;
}
