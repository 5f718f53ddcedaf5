// Figures of the link on its own, in virtual time:
//  - the receive parser's throughput on a long stream of valid replies with
//    noise between them (noise arrives while nothing is awaited, as on a
//    shared line, and is dropped byte by byte);
//  - heap allocations per acknowledged request (a setting and its ack).
#include "link/basCRC8_Dallas_1_Wire.h"
#include "support/CoreHarness.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long long> g_allocations{0};
} // namespace

void* operator new(std::size_t n) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n == 0 ? 1 : n)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

using namespace quadrel;

namespace {

Bytes Frame(Bytes b) {
    b.push_back(basCRC8_Dallas_1_Wire::CalculateCrc8(b, static_cast<int>(b.size())));
    return b;
}

void ParserThroughput() {
    // The parser and queue with a handler that only takes the reply.
    test::LinkHarness h;
    Bytes reply = {0x81, 254};
    for (int port = 1; port <= 127; ++port) {
        reply.push_back(static_cast<uint8_t>(port));
        reply.push_back(static_cast<uint8_t>(port % 101));
    }
    reply = Frame(reply);
    Bytes noise(64);
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<uint8_t>(i * 73 + 11);
    }
    const int rounds = 20000;
    long long bytes = 0;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; ++i) {
        h.link.senders.CmdGetVolumnLevel(1, 0, 0, 1);
        h.link.receiver.ProcessBytes(reply);
        h.link.receiver.ProcessBytes(noise);
        bytes += static_cast<long long>(reply.size() + noise.size());
        if (h.port.writes.size() > 1000) {
            h.port.writes.clear();
            h.trace.sent.clear();
            h.trace.received.clear();
            h.replies.calls.clear();
            h.replies.payloads.clear();
        }
    }
    const double seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
    std::printf("parser throughput: %.1f MB/s (%lld bytes, %d replies of 127 pairs + 64 noise "
                "bytes)\n",
                static_cast<double>(bytes) / seconds / 1e6, bytes, rounds);
    std::printf("  the line itself at 19200 baud carries 0.0019 MB/s\n");
}

void AllocationsPerAck() {
    test::CoreHarness h;
    h.AddUnit(1, 8, 8);
    h.Select(1);
    const Bytes ack = Frame({0x81});
    // Warm up: the queue and the trace recorder reach their steady size.
    for (int i = 0; i < 100; ++i) {
        h.core.link.senders.CmdSetVolumnLevel(1, 2, 50, 0);
        h.core.link.receiver.ProcessBytes(ack);
    }
    h.port.writes.clear();
    h.port.writes.reserve(2000);
    h.trace.sent.clear();
    h.trace.sent.reserve(2000);
    h.trace.received.clear();
    h.trace.received.reserve(2000);
    const int rounds = 1000;
    const long long before = g_allocations.load();
    for (int i = 0; i < rounds; ++i) {
        h.core.link.senders.CmdSetVolumnLevel(1, 2, 50, 0);
        h.core.link.receiver.ProcessBytes(ack);
    }
    const long long used = g_allocations.load() - before;
    // The test doubles keep a copy of every frame written and traced; count
    // those out to see the link's own share.
    const long long recorders = 3LL * rounds;
    std::printf("heap allocations per acknowledged request: %.2f in all, %.2f by the link "
                "(frame building and queueing)\n",
                static_cast<double>(used) / rounds, static_cast<double>(used - recorders) / rounds);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ParserThroughput();
    AllocationsPerAck();
    return 0;
}
