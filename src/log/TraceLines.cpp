#include "log/TraceLines.h"

#include "link/TransmitQueue.h"
#include "log/FrameWords.h"
#include "log/basText.h"

#include <QTime>

#include <algorithm>

namespace quadrel {

namespace {

constexpr int32_t kPollPriority = 2;
// Input that no report accounts for (the receiver reset under it) is let go
// beyond this; no frame is longer.
constexpr size_t kMaxHeld = 1024;
// Where the words start: under the bytes of the line above.
const QString kWordsIndent = QStringLiteral("      ");

bool ByteByByte(DropReason why) {
    return why == DropReason::NoRequest || why == DropReason::WrongUnit;
}

} // namespace

TraceLines::TraceLines(Out out, const LogClock& clock) : out_(std::move(out)), clock_(clock) {}

void TraceLines::setLines(bool on) {
    if (lines_ && !on) {
        Flush();
    }
    lines_ = on;
    received_.clear();
    request_.reset();
}

QString TraceLines::Stamp(const QTime& time) {
    const int ms = time.isValid() ? time.msecsSinceStartOfDay() : 0;
    const int parts[] = {ms / 3600000, ms / 60000 % 60, ms / 1000 % 60};
    QChar text[12];
    for (int i = 0; i < 3; ++i) {
        text[i * 3] = QLatin1Char(static_cast<char>('0' + parts[i] / 10));
        text[i * 3 + 1] = QLatin1Char(static_cast<char>('0' + parts[i] % 10));
        text[i * 3 + 2] = QLatin1Char(i < 2 ? ':' : '.');
    }
    const int milli = ms % 1000;
    text[9] = QLatin1Char(static_cast<char>('0' + milli / 100));
    text[10] = QLatin1Char(static_cast<char>('0' + milli / 10 % 10));
    text[11] = QLatin1Char(static_cast<char>('0' + milli % 10));
    return QString(text, 12);
}

QString TraceLines::Now() const {
    return Stamp(clock_.LocalNow().time());
}

QString TraceLines::Hex(const char* head, const Bytes& bytes) {
    return QLatin1String(head) + basText::ByteArrayToHex(bytes);
}

void TraceLines::Line(const QString& stamp, const QString& text, TraceColour colour, bool poll) {
    out_(stamp + QLatin1Char(' ') + text, colour, poll);
}

void TraceLines::WordsLine(const QString& stamp, const QString& text, TraceColour colour,
                           bool poll) {
    out_(stamp + kWordsIndent + text, colour, poll);
}

Bytes TraceLines::Take(int count) {
    const auto n = std::min(static_cast<size_t>(std::max(count, 0)), received_.size());
    Bytes taken(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(n));
    received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(n));
    return taken;
}

void TraceLines::Flush() {
    if (!pending_) {
        return;
    }
    const PendingDrop drop = std::move(*pending_);
    pending_.reset();
    Line(drop.stamp,
         // The reason first: a long frame's bytes run past the window's edge.
         QStringLiteral("RECV ") + FrameWords::Dropped(drop.why, drop.bytes) +
             QStringLiteral("  ") + basText::ByteArrayToHex(drop.shown),
         TraceColour::Fault, false);
}

void TraceLines::Request(const SEND_PACKET& request) {
    figures_.Request(request);
    awaited_ = static_cast<uint8_t>(request.bID & 0x1F);
    poll_ = request.lPriority == kPollPriority;
    if (lines_) {
        request_ = request;
    }
}

void TraceLines::Send(const Bytes& bytes) {
    if (!lines_) {
        return;
    }
    Flush();
    const QString stamp = Now();
    Line(stamp, Hex("SEND ", bytes), TraceColour::Send, poll_);
    // The words of a request follow its hex line.
    if (request_) {
        if (words_) {
            WordsLine(stamp, FrameWords::Request(*request_), TraceColour::Words, poll_);
        }
        request_.reset();
    }
}

void TraceLines::Recv(const Bytes& bytes) {
    if (!lines_) {
        return;
    }
    if (pieces_) {
        Line(Now(), Hex("piece ", bytes), TraceColour::Piece, poll_);
    }
    received_.insert(received_.end(), bytes.begin(), bytes.end());
    if (received_.size() > kMaxHeld) {
        received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(
                                                                   received_.size() - kMaxHeld));
    }
}

void TraceLines::Answer(const SEND_PACKET& request, const Bytes& frame) {
    // Counted only against a request counted: watching may start between.
    if (awaited_) {
        figures_.Answer(static_cast<uint8_t>(request.bID & 0x1F));
    }
    awaited_.reset();
    if (!lines_) {
        return;
    }
    Flush();
    const QString stamp = Now();
    // The frame is the oldest input in hand; anything before it was left
    // unread by a reset of the receiver.
    const auto at = std::search(received_.begin(), received_.end(), frame.begin(), frame.end());
    if (at != received_.end() && at != received_.begin()) {
        const Bytes left = Take(static_cast<int>(at - received_.begin()));
        Line(stamp,
             QStringLiteral("RECV %1 bytes left unread  ").arg(left.size()) +
                 basText::ByteArrayToHex(left),
             TraceColour::Fault, false);
    }
    Take(static_cast<int>(frame.size()));
    const bool poll = request.lPriority == kPollPriority;
    Line(stamp, Hex("RECV ", frame), TraceColour::Recv, poll);
    if (words_) {
        WordsLine(stamp, FrameWords::Answer(request, frame), TraceColour::Words, poll);
    }
}

void TraceLines::Refused(const SEND_PACKET& request, const QString& reason) {
    figures_.Refused(static_cast<uint8_t>(request.bID & 0x1F));
    awaited_ = static_cast<uint8_t>(request.bID & 0x1F);
    if (!lines_) {
        return;
    }
    Flush();
    WordsLine(Now(), FrameWords::Refused(request.bID, reason), TraceColour::Fault, false);
}

void TraceLines::Repeat(const SEND_PACKET& request, int attempt) {
    const auto id = static_cast<uint8_t>(request.bID & 0x1F);
    figures_.Repeat(id);
    awaited_ = id;
    if (!lines_) {
        return;
    }
    Flush();
    // Asking an empty ID again is the scan's way, not a fault.
    const bool empty = figures_.IsEmptyId(id);
    Line(Now(),
         Hex("SEND ", request.bFrame) + QLatin1Char(' ') +
             FrameWords::Repeat(id, attempt, TransmitQueue::kMaxTries),
         empty ? TraceColour::Send : TraceColour::Fault, empty && poll_);
}

void TraceLines::GiveUp(const SEND_PACKET& request) {
    const auto id = static_cast<uint8_t>(request.bID & 0x1F);
    figures_.GiveUp(id);
    awaited_.reset();
    if (!lines_) {
        return;
    }
    Flush();
    // A unit given up matters even when it was a poll that found out.
    if (figures_.IsEmptyId(id)) {
        WordsLine(Now(), QStringLiteral("no unit at ID %1").arg(FrameWords::IdRanges({id})),
                  TraceColour::Words, false);
    } else {
        WordsLine(Now(), FrameWords::GivenUp(id, TransmitQueue::kMaxTries), TraceColour::Fault,
                  false);
    }
}

void TraceLines::Drop(DropReason why, int bytes) {
    figures_.Dropped(awaited_, bytes);
    if (!lines_) {
        return;
    }
    Bytes shown = Take(bytes);
    if (pending_ && pending_->why == why && ByteByByte(why)) {
        pending_->bytes += bytes;
        pending_->shown.insert(pending_->shown.end(), shown.begin(), shown.end());
        return;
    }
    Flush();
    pending_ = PendingDrop{why, bytes, std::move(shown), Now()};
    if (!ByteByByte(why)) {
        Flush();
    }
}

} // namespace quadrel
