#pragma once

#include "log/LogClock.h"

namespace quadrel {

// The machine's local time, for the daily log file.
class SystemLogClock : public LogClock {
public:
    QDateTime LocalNow() const override { return QDateTime::currentDateTime(); }
};

} // namespace quadrel
