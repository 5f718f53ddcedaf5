#pragma once

#include "link/Timer.h"

#include <cstdint>
#include <map>
#include <memory>

namespace quadrel {

class basCommunication;
class basQRD;
class StatusPolling;

// Units given up are asked again in the background: every 10 s at first,
// then every minute, one probe at a time and only when the line has nothing
// else to do, so the units that answer are never slowed. The queue takes a
// unit back as soon as it answers; the owner reads it afresh.
class UnitRecovery {
public:
    static constexpr int kQuickTries = 3; // at 10 s, then every 60 s
    static constexpr int kQuickSeconds = 10;
    static constexpr int kSlowSeconds = 60;

    UnitRecovery(basQRD& model, basCommunication& link, StatusPolling& status,
                 TimerFactory& timers);

    void GivenUp(uint8_t id);
    void Answers(uint8_t id);
    // A scan or a new port: every unit starts afresh.
    void Clear() {
        waiting_.clear();
        tick_->stop();
    }
    bool Waiting(uint8_t id) const { return waiting_.count(id) != 0; }
    // Seconds until `id` is asked again; -1 when it is not waited for.
    int SecondsToNextTry(uint8_t id) const;

private:
    struct Wait {
        int secondsLeft = kQuickSeconds;
        int tries = 0;
    };
    void Tick();
    bool LineFree() const;

    basQRD& model_;
    basCommunication& link_;
    StatusPolling& status_;
    std::unique_ptr<Timer> tick_;
    std::map<uint8_t, Wait> waiting_;
};

} // namespace quadrel
