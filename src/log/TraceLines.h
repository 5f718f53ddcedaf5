#pragma once

#include "link/LinkTrace.h"
#include "log/LogClock.h"
#include "log/TraceFigures.h"
#include "log/TraceSink.h"

#include <QString>

#include <functional>
#include <optional>

namespace quadrel {

// Turns the link's reports into the trace's lines: one line for each frame
// written ("SEND") and each frame received ("RECV"), put together again from
// the pieces the port hands over as the receive path delimits them; input
// dropped is one line of its reason and its bytes. Every line starts with
// the local time to the millisecond, from the log's clock. In words, each
// frame is followed by what it means: the request, the values of a reply.
// Faults (drops, replies refused, repeats, give-ups) are shown either way.
//
// The figures are kept whether or not lines are made.
class TraceLines {
public:
    // A line, its colour, and whether it belongs to the once-a-second poll.
    using Out = std::function<void(const QString& line, TraceColour colour, bool poll)>;

    TraceLines(Out out, const LogClock& clock);

    // Lines are made only while on; off, only the figures are kept.
    void setLines(bool on);
    void setWords(bool on) { words_ = on; }
    // Each piece of input also as it came, before its frame's line.
    void setPieces(bool on) { pieces_ = on; }

    void Request(const SEND_PACKET& request);
    void Send(const Bytes& bytes);
    void Recv(const Bytes& bytes);
    void Answer(const SEND_PACKET& request, const Bytes& frame);
    void Repeat(const SEND_PACKET& request, int attempt);
    void GiveUp(const SEND_PACKET& request);
    // Single bytes dropped in a row for the same reason (noise, another
    // unit's answer) make one line, written when anything else happens or
    // at Flush().
    void Drop(DropReason why, int bytes);
    void Refused(const SEND_PACKET& request, const QString& reason);
    void Flush();

    TraceFigures& figures() { return figures_; }
    const TraceFigures& figures() const { return figures_; }

    // "21:40:12.345"
    static QString Stamp(const QTime& time);

private:
    void Line(const QString& stamp, const QString& text, TraceColour colour, bool poll);
    void WordsLine(const QString& stamp, const QString& text, TraceColour colour, bool poll);
    QString Now() const;
    // The oldest `count` bytes received and not yet on a line.
    Bytes Take(int count);
    static QString Hex(const char* head, const Bytes& bytes);

    Out out_;
    const LogClock& clock_;
    bool lines_ = false;
    bool words_ = false;
    bool pieces_ = false;
    TraceFigures figures_;
    std::optional<uint8_t> awaited_;     // the unit whose answer is awaited
    bool poll_ = false;                  // the request on the line is the poll's
    std::optional<SEND_PACKET> request_; // written, its words still to come
    Bytes received_;                     // input not yet on a line
    struct PendingDrop {
        DropReason why;
        int bytes;
        Bytes shown;
        QString stamp;
    };
    std::optional<PendingDrop> pending_;
};

} // namespace quadrel
