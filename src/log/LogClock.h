#pragma once

#include <QDateTime>

namespace quadrel {

// The local date and time the daily log file takes. The trace itself never
// reads the wall clock: the program hands it one, tests a fixed one.
class LogClock {
public:
    virtual ~LogClock() = default;
    virtual QDateTime LocalNow() const = 0;
};

} // namespace quadrel
