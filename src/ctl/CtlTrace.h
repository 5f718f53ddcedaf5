#pragma once

#include "link/LinkTrace.h"
#include "log/LogClock.h"
#include "log/TraceSink.h"
#include "log/basLog.h"

#include <functional>

namespace quadrel::ctl {

// The trace of quadrel-ctl: the program's own trace (hex lines and lines in
// words, as the log window shows them) printed on standard error when --trace
// asks for it, and a hook that hears of every frame, for progress and for
// noticing a line that stalls.
class CtlTrace : public LinkTrace, private TraceSink, private LogClock {
public:
    CtlTrace();
    ~CtlTrace() override;

    void setPrinting(bool on) { log_.setBlShowTrace(on); }
    // Told of every frame: true for one written, false for bytes read.
    void setOnFrame(std::function<void(bool, const Bytes&)> onFrame) {
        onFrame_ = std::move(onFrame);
    }
    void Flush() { log_.FlushWords(); }

    void LogSend(const Bytes& bytes) override;
    void LogRecv(const Bytes& bytes) override;
    void LogRequest(const SEND_PACKET& r) override { log_.LogRequest(r); }
    void LogAnswer(const SEND_PACKET& r, const Bytes& f) override { log_.LogAnswer(r, f); }
    void LogRepeat(const SEND_PACKET& r, int attempt) override { log_.LogRepeat(r, attempt); }
    void LogGiveUp(const SEND_PACKET& r) override { log_.LogGiveUp(r); }
    void LogDrop(DropReason why, int bytes) override { log_.LogDrop(why, bytes); }
    void LogRefused(const SEND_PACKET& r, const QString& why) override { log_.LogRefused(r, why); }

private:
    void AppendTraceLine(const QString& text, TraceColour colour) override;
    void RemoveLeadingTrace(qsizetype) override {}
    // The time of each line; no log file is written.
    QDateTime LocalNow() const override { return QDateTime::currentDateTime(); }

    basLog log_;
    std::function<void(bool, const Bytes&)> onFrame_;
};

} // namespace quadrel::ctl
