#pragma once

#include "log/LogClock.h"

namespace quadrel::test {

class FixedLogClock : public LogClock {
public:
    QDateTime LocalNow() const override { return now; }
    QDateTime now{QDate(2012, 1, 11), QTime(9, 5, 7)};
};

} // namespace quadrel::test
