#pragma once

#include "link/LinkTrace.h"

#include <utility>
#include <vector>

namespace quadrel {

// Passes the link's trace on; while held, keeps it and passes it on, in its
// order, as the last hold ends. The program holds it over the handling of
// input, so the frame that an answer releases is written before the answer
// and the frame are put into words and lines, which takes longer than the
// handling itself. The lines' time stamps are taken as they are passed on,
// tens of microseconds later: well inside their millisecond. Frames written
// from a timer are not held: nothing waits on them.
//
// While the trace behind it does not listen (stopped, its window closed, no
// log file), reports are neither kept nor copied: the receive path pays one
// test per report.
class HeldTrace : public LinkTrace {
public:
    explicit HeldTrace(LinkTrace& trace) : trace_(trace) {}

    class Held {
    public:
        explicit Held(HeldTrace& trace) : trace_(trace) { ++trace_.holds_; }
        ~Held() {
            if (--trace_.holds_ == 0 && !trace_.waiting_.empty()) {
                trace_.PassWaiting();
            }
        }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        HeldTrace& trace_;
    };

    bool Listening() const override { return trace_.Listening(); }

    void LogSend(const Bytes& bytes) override {
        if (Direct()) {
            trace_.LogSend(bytes);
        } else if (Listening()) {
            Keep(Kind::Send, {}, bytes);
        }
    }
    void LogRecv(const Bytes& bytes) override {
        if (Direct()) {
            trace_.LogRecv(bytes);
        } else if (Listening()) {
            Keep(Kind::Recv, {}, bytes);
        }
    }
    void LogRequest(const SEND_PACKET& request) override {
        if (Direct()) {
            trace_.LogRequest(request);
        } else if (Listening()) {
            Keep(Kind::Request, request);
        }
    }
    void LogAnswer(const SEND_PACKET& request, const Bytes& frame) override {
        if (Direct()) {
            trace_.LogAnswer(request, frame);
        } else if (Listening()) {
            Keep(Kind::Answer, request, frame);
        }
    }
    void LogRepeat(const SEND_PACKET& request, int attempt) override {
        if (Direct()) {
            trace_.LogRepeat(request, attempt);
        } else if (Listening()) {
            Keep(Kind::Repeat, request, {}, attempt);
        }
    }
    void LogGiveUp(const SEND_PACKET& request) override {
        if (Direct()) {
            trace_.LogGiveUp(request);
        } else if (Listening()) {
            Keep(Kind::GiveUp, request);
        }
    }
    void LogDrop(DropReason why, int bytes) override {
        if (Direct()) {
            trace_.LogDrop(why, bytes);
        } else if (Listening()) {
            Keep(Kind::Drop, {}, {}, bytes, why);
        }
    }
    void LogRefused(const SEND_PACKET& request, const QString& reason) override {
        if (Direct()) {
            trace_.LogRefused(request, reason);
        } else if (Listening()) {
            Keep(Kind::Refused, request, {}, 0, DropReason::BadChecksum, reason);
        }
    }

private:
    enum class Kind { Send, Recv, Request, Answer, Repeat, GiveUp, Drop, Refused };
    struct Report {
        Kind kind;
        SEND_PACKET request;
        Bytes bytes;
        int number = 0;
        DropReason why = DropReason::BadChecksum;
        QString reason;
    };

    bool Direct() const { return holds_ == 0; }
    void Keep(Kind kind, const SEND_PACKET& request, const Bytes& bytes = {}, int number = 0,
              DropReason why = DropReason::BadChecksum, const QString& reason = {}) {
        waiting_.push_back(Report{kind, request, bytes, number, why, reason});
    }
    void PassWaiting() {
        // The storage stays for the next hold: no allocation per input.
        std::vector<Report> reports = std::exchange(waiting_, {});
        for (const Report& r : reports) {
            switch (r.kind) {
            case Kind::Send:
                trace_.LogSend(r.bytes);
                break;
            case Kind::Recv:
                trace_.LogRecv(r.bytes);
                break;
            case Kind::Request:
                trace_.LogRequest(r.request);
                break;
            case Kind::Answer:
                trace_.LogAnswer(r.request, r.bytes);
                break;
            case Kind::Repeat:
                trace_.LogRepeat(r.request, r.number);
                break;
            case Kind::GiveUp:
                trace_.LogGiveUp(r.request);
                break;
            case Kind::Drop:
                trace_.LogDrop(r.why, r.number);
                break;
            case Kind::Refused:
                trace_.LogRefused(r.request, r.reason);
                break;
            }
        }
        reports.clear();
        if (waiting_.empty()) {
            waiting_ = std::move(reports);
        }
    }

    LinkTrace& trace_;
    int holds_ = 0;
    std::vector<Report> waiting_;
};

} // namespace quadrel
