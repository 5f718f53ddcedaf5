// Figures over a real pseudo-terminal with quadrel-sim:
//  - turnaround: from an answer's arrival to the next waiting request leaving,
//    p50 and p99 over 2,000 exchanges, beside the wire time of one 5-byte
//    frame at 19200 baud;
//  - a full live read of a 127 x 127 unit with every capability, beside the
//    physical limit (all bytes on the wire plus the answer latency of each
//    exchange), as a ratio;
//  - a scan finding 3 units, beside the floor the protocol's time-outs set.
#include "PtyRig.h"

#include <QCoreApplication>

using namespace quadrel;
using namespace quadrel::bench;
using namespace std::chrono_literals;

namespace {

constexpr int kBaud = 19200;
constexpr double kByteUs = 10.0 * 1e6 / kBaud;
constexpr int kLatencyMs = 2;

QString SimPath() {
    return QCoreApplication::applicationDirPath() + "/../sim/quadrel-sim";
}

QStringList Line(const QStringList& units) {
    QStringList args{"--baud", QString::number(kBaud), "--latency", QString::number(kLatencyMs)};
    for (const QString& u : units) {
        args << "--unit" << u;
    }
    return args;
}

void Turnaround() {
    PtyRig rig(SimPath(), 211, Line({"id=1,inputs=8,outputs=8"}));
    if (!rig.Open(kBaud)) {
        std::printf("turnaround: could not open the emulator's port\n");
        return;
    }
    CommandSenders& s = rig.core->link.senders;
    const int exchanges = 2000;
    for (int i = 0; i < exchanges + 1; ++i) {
        s.CmdSetVolumnLevel(1, static_cast<uint8_t>(i % 8 + 1), static_cast<uint8_t>(i % 100), 0);
    }
    PtyRig::Wait(
        [&] {
            return !rig.core->link.queue.IsWaitingForAnswer() &&
                   rig.core->link.queue.SendQueue().empty();
        },
        120s);
    const auto& t = rig.port->turnarounds;
    std::printf("turnaround over %zu exchanges: p50 %.0f us, p99 %.0f us; one 5-byte frame at "
                "19200 baud takes %.0f us on the wire\n",
                t.size(), Percentile(t, 0.5), Percentile(t, 0.99), 5 * kByteUs);
}

void FullRead() {
    PtyRig rig(SimPath(), 212, Line({"id=31,inputs=127,outputs=127,memories=15"}));
    if (!rig.Open(kBaud)) {
        std::printf("full read: could not open the emulator's port\n");
        return;
    }
    // Learn the unit first (scan), then time a fresh live read alone.
    rig.core->status.SetScanning(true);
    PtyRig::Wait([&] { return !rig.core->status.IsBusy(); }, 120s);
    if (!rig.core->model.objSelectedUnit) {
        std::printf("full read: the unit was not found\n");
        return;
    }
    PtyRig::Wait([&] { return !rig.core->link.queue.IsWaitingForAnswer(); }, 5s);
    rig.core->status.timRequestStatus().stop();
    const long long w0 = rig.port->bytesWritten;
    const long long r0 = rig.port->bytesRead;
    QElapsedTimer t;
    t.start();
    rig.core->status.SetLoadingStatus(true);
    rig.core->status.RequestUnitStatus(0);
    const size_t exchanges = 1 + rig.core->link.queue.SendQueue().size();
    PtyRig::Wait([&] { return !rig.core->model.blLoadingStatus; }, 60s);
    const double elapsedMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
    const long long bytes = (rig.port->bytesWritten - w0) + (rig.port->bytesRead - r0);
    const double limitMs =
        static_cast<double>(bytes) * kByteUs / 1e3 + static_cast<double>(exchanges) * kLatencyMs;
    std::printf("full live read of a 127x127 unit: %.1f ms for %zu exchanges and %lld bytes; "
                "physical limit %.1f ms; ratio %.3f\n",
                elapsedMs, exchanges, bytes, limitMs, elapsedMs / limitMs);
}

void Scan() {
    PtyRig rig(SimPath(), 213,
               Line({"id=2,inputs=8,outputs=8", "id=7,inputs=4,outputs=4,sections=a",
                     "id=31,inputs=16,outputs=8,sections=v"}));
    if (!rig.Open(kBaud)) {
        std::printf("scan: could not open the emulator's port\n");
        return;
    }
    const long long w0 = rig.port->bytesWritten;
    const long long r0 = rig.port->bytesRead;
    QElapsedTimer t;
    t.start();
    rig.core->status.SetScanning(true);
    PtyRig::Wait([&] { return !rig.core->status.IsBusy(); }, 120s);
    const double elapsedS = static_cast<double>(t.nsecsElapsed()) / 1e9;
    const int silentIds = 29;
    // Each silent ID costs three 300 ms waits, which its three probes spend
    // on the wire; every other byte adds its wire time.
    const long long silentProbeBytes = silentIds * 3 * 5;
    const double floorS =
        silentIds * 0.9 + static_cast<double>((rig.port->bytesWritten - w0 - silentProbeBytes) +
                                              (rig.port->bytesRead - r0)) *
                              kByteUs / 1e6;
    std::printf("scan finding %lld units: %.2f s; floor set by the time-outs and the wire "
                "%.2f s; ratio %.3f\n",
                static_cast<long long>(rig.core->model.objUnits().Count()), elapsedS, floorS,
                elapsedS / floorS);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool all = args.size() < 2;
    if (all || args.contains("turnaround")) {
        Turnaround();
    }
    if (all || args.contains("read")) {
        FullRead();
    }
    if (all || args.contains("scan")) {
        Scan();
    }
    return 0;
}
