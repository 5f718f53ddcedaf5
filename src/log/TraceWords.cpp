#include "log/TraceWords.h"

#include "link/TransmitQueue.h"
#include "log/FrameWords.h"

#include <QStringList>

namespace quadrel {

namespace {
constexpr int32_t kPollPriority = 2;
} // namespace

TraceWords::TraceWords(Emit lineOut, std::function<qint64()> elapsedMs)
    : lineOut_(std::move(lineOut)), elapsedMs_(std::move(elapsedMs)) {}

QString TraceWords::Stamp(qint64 ms, const QString& text) {
    return QStringLiteral("%1 ms  %2").arg(ms, 8).arg(text);
}

void TraceWords::Line(const QString& text, bool poll, qint64 ms) {
    if (lineOut_) {
        lineOut_(Stamp(ms, text), poll);
    }
}

void TraceWords::Flush() {
    if (pending_) {
        const PendingDrop drop = *pending_;
        pending_.reset();
        Line(FrameWords::Dropped(drop.why, drop.bytes), false, drop.ms);
    }
}

void TraceWords::Request(const SEND_PACKET& request) {
    Flush();
    const uint8_t id = request.bID & 0x1F;
    ++figures_[id].requests;
    awaited_ = id;
    awaitedPoll_ = request.lPriority == kPollPriority;
    Line(FrameWords::Request(request), awaitedPoll_, elapsedMs_());
}

void TraceWords::Answer(const SEND_PACKET& request, const Bytes& frame) {
    Flush();
    awaited_.reset();
    Line(FrameWords::Answer(request, frame), request.lPriority == kPollPriority, elapsedMs_());
}

void TraceWords::Repeat(const SEND_PACKET& request, int attempt) {
    Flush();
    const uint8_t id = request.bID & 0x1F;
    ++figures_[id].repeats;
    awaited_ = id;
    Line(FrameWords::Repeat(id, attempt, TransmitQueue::kMaxTries),
         request.lPriority == kPollPriority, elapsedMs_());
}

void TraceWords::GiveUp(const SEND_PACKET& request) {
    Flush();
    const uint8_t id = request.bID & 0x1F;
    ++figures_[id].givenUp;
    awaited_.reset();
    // A unit given up matters even when it was a poll that found out.
    Line(FrameWords::GivenUp(id), false, elapsedMs_());
}

void TraceWords::Drop(DropReason why, int bytes) {
    if (awaited_) {
        ++figures_[*awaited_].dropped;
    } else {
        ++droppedIdle_;
    }
    if (pending_ && pending_->why == why) {
        pending_->bytes += bytes;
        return;
    }
    Flush();
    pending_ = PendingDrop{why, bytes, elapsedMs_()};
}

QString TraceWords::FiguresText() const {
    QStringList parts;
    for (size_t id = 0; id < figures_.size(); ++id) {
        const UnitFigures& f = figures_[id];
        if (f.requests == 0 && f.dropped == 0) {
            continue;
        }
        parts << QStringLiteral("%1: %2 requests, %3 repeats, %4 give-ups, %5 dropped")
                     .arg(FrameWords::UnitName(static_cast<uint8_t>(id)))
                     .arg(f.requests)
                     .arg(f.repeats)
                     .arg(f.givenUp)
                     .arg(f.dropped);
    }
    if (droppedIdle_ > 0) {
        parts << QStringLiteral("idle line: %1 dropped").arg(droppedIdle_);
    }
    return parts.join(QStringLiteral("  |  "));
}

void TraceWords::ResetFigures() {
    figures_ = {};
    droppedIdle_ = 0;
}

} // namespace quadrel
