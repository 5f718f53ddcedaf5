#pragma once

#include "link/LinkTrace.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace quadrel {

// What one unit's line has cost: requests written, repeats, give-ups and
// dropped input while its answer was awaited. A bad cable shows as a rising
// repeat count.
struct UnitFigures {
    int requests = 0;
    int repeats = 0;
    int givenUp = 0;
    int dropped = 0;
};

// Turns the link's reports into lines in words with a time stamp, and keeps
// the per-unit figures. Lines go to `lineOut` with whether they belong to the
// once-a-second poll; the time comes from `elapsedMs` (ms since the trace
// started), so the core reads no clock of its own.
class TraceWords {
public:
    using Emit = std::function<void(const QString& line, bool poll)>;

    TraceWords(Emit lineOut, std::function<qint64()> elapsedMs);

    void Request(const SEND_PACKET& request);
    void Answer(const SEND_PACKET& request, const Bytes& frame);
    void Repeat(const SEND_PACKET& request, int attempt);
    void GiveUp(const SEND_PACKET& request);
    // Drops in a row for the same reason make one line, written when
    // anything else happens or at Flush().
    void Drop(DropReason why, int bytes);
    void Flush();

    const std::array<UnitFigures, 32>& figures() const { return figures_; }
    // Input dropped while no answer was awaited.
    int droppedIdle() const { return droppedIdle_; }
    // "unit 01: 12 requests, 1 repeats, 0 give-ups, 2 dropped  |  idle line: 3 dropped"
    QString FiguresText() const;
    void ResetFigures();

    // "   12345 ms  text"
    static QString Stamp(qint64 ms, const QString& text);

private:
    void Line(const QString& text, bool poll, qint64 ms);

    Emit lineOut_;
    std::function<qint64()> elapsedMs_;
    std::array<UnitFigures, 32> figures_{};
    int droppedIdle_ = 0;
    std::optional<uint8_t> awaited_; // the unit whose answer is awaited
    bool awaitedPoll_ = false;
    struct PendingDrop {
        DropReason why;
        int bytes;
        qint64 ms;
    };
    std::optional<PendingDrop> pending_;
};

} // namespace quadrel
