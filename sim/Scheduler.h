#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace quadrel::sim {

// The time source that drives the emulated line: virtual time in tests, the
// event loop's clock in the command-line emulator.
class Scheduler {
public:
    using Duration = std::chrono::microseconds;
    using TimePoint = Duration; // since the scheduler was made

    virtual ~Scheduler() = default;

    virtual TimePoint now() const = 0;
    // Runs `call` once, `delay` from now; the id serves cancel().
    virtual uint64_t callAfter(Duration delay, std::function<void()> call) = 0;
    virtual void cancel(uint64_t id) = 0;
};

} // namespace quadrel::sim
