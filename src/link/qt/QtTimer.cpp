#include "link/qt/QtTimer.h"

namespace quadrel {

QtTimer::QtTimer(std::chrono::milliseconds interval) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(interval);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { fire(); });
}

} // namespace quadrel
