#pragma once

#include "link/LinkTrace.h"

#include <functional>
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
class HeldTrace : public LinkTrace {
public:
    explicit HeldTrace(LinkTrace& trace) : trace_(trace) {}

    class Held {
    public:
        explicit Held(HeldTrace& trace) : trace_(trace) { ++trace_.holds_; }
        ~Held() {
            if (--trace_.holds_ == 0) {
                trace_.PassWaiting();
            }
        }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        HeldTrace& trace_;
    };

    void LogSend(const Bytes& bytes) override {
        Pass([this, bytes] { trace_.LogSend(bytes); });
    }
    void LogRecv(const Bytes& bytes) override {
        Pass([this, bytes] { trace_.LogRecv(bytes); });
    }
    void LogRequest(const SEND_PACKET& request) override {
        Pass([this, request] { trace_.LogRequest(request); });
    }
    void LogAnswer(const SEND_PACKET& request, const Bytes& frame) override {
        Pass([this, request, frame] { trace_.LogAnswer(request, frame); });
    }
    void LogRepeat(const SEND_PACKET& request, int attempt) override {
        Pass([this, request, attempt] { trace_.LogRepeat(request, attempt); });
    }
    void LogGiveUp(const SEND_PACKET& request) override {
        Pass([this, request] { trace_.LogGiveUp(request); });
    }
    void LogDrop(DropReason reason, int bytes) override {
        Pass([this, reason, bytes] { trace_.LogDrop(reason, bytes); });
    }

private:
    template <typename Fn> void Pass(Fn&& fn) {
        if (holds_ == 0) {
            fn();
        } else {
            waiting_.emplace_back(std::forward<Fn>(fn));
        }
    }
    void PassWaiting() {
        for (const auto& call : waiting_) {
            call();
        }
        waiting_.clear();
    }

    LinkTrace& trace_;
    int holds_ = 0;
    std::vector<std::function<void()>> waiting_;
};

} // namespace quadrel
