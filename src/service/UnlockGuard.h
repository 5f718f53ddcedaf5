#pragma once

#include "link/Timer.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>

namespace quadrel::service {

// Unlocking: the password is tried only when no wait is in force; each wrong
// one makes the next wait twice as long as the last (1 s, 2 s, 4 s, …, at
// most 15 minutes), and the right one ends the waits.
class UnlockGuard {
public:
    using Check = std::function<bool(const QString& password)>;
    enum class Result { Accepted, Refused, Waiting };

    static constexpr std::chrono::milliseconds kFirstWait{1000};
    static constexpr std::chrono::milliseconds kLongestWait{15 * 60 * 1000};

    UnlockGuard(TimerFactory& timers, Check check);

    Result Try(const QString& password);
    // The wait in force now (zero when a password may be tried).
    std::chrono::milliseconds wait() const;
    int failures() const { return failures_; }
    // Told when a wait has ended.
    void setOnReady(std::function<void()> onReady) { onReady_ = std::move(onReady); }

private:
    Check check_;
    std::unique_ptr<Timer> timer_;
    int failures_ = 0;
    std::function<void()> onReady_;
};

} // namespace quadrel::service
