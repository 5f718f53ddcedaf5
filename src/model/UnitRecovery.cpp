#include "model/UnitRecovery.h"

#include "link/basCommunication.h"
#include "model/StatusPolling.h"
#include "model/basQRD.h"

#include <chrono>

namespace quadrel {

namespace {

constexpr int32_t kPollPriority = 2;

} // namespace

UnitRecovery::UnitRecovery(basQRD& model, basCommunication& link, StatusPolling& status,
                           TimerFactory& timers)
    : model_(model), link_(link), status_(status),
      tick_(timers.createTimer(std::chrono::seconds(1))) {
    tick_->setOnTick([this] { Tick(); });
}

void UnitRecovery::GivenUp(uint8_t id) {
    if (waiting_.count(id) == 0) {
        waiting_[id] = Wait{};
    }
    tick_->setEnabled(true);
}

void UnitRecovery::Answers(uint8_t id) {
    waiting_.erase(id);
    if (waiting_.empty()) {
        tick_->stop();
    }
}

int UnitRecovery::SecondsToNextTry(uint8_t id) const {
    const auto it = waiting_.find(id);
    return it == waiting_.end() ? -1 : it->second.secondsLeft;
}

bool UnitRecovery::LineFree() const {
    const TransmitQueue& q = link_.queue;
    return link_.IsPortOpen() && !status_.IsBusy() && !q.IsWaitingForAnswer() && !q.IsSettling() &&
           q.iSendQueueCount() == 0;
}

void UnitRecovery::Tick() {
    if (waiting_.empty()) {
        tick_->stop();
        return;
    }
    for (auto it = waiting_.begin(); it != waiting_.end();) {
        const UnitRef unit = model_.FindUnit(it->first);
        // A unit no longer known (a scan replaced the list) or already back.
        if (!unit || unit->blConnected()) {
            it = waiting_.erase(it);
            continue;
        }
        Wait& wait = it->second;
        if (wait.secondsLeft > 0) {
            --wait.secondsLeft;
        }
        // Due, and the line free: one probe. Otherwise it waits its turn.
        if (wait.secondsLeft == 0 && LineFree()) {
            ++wait.tries;
            wait.secondsLeft = wait.tries < kQuickTries ? kQuickSeconds : kSlowSeconds;
            link_.senders.CmdGetUnitInfo(it->first, 0, kPollPriority);
        }
        ++it;
    }
}

} // namespace quadrel
