#pragma once

#include "sim/Scheduler.h"

#include <QElapsedTimer>
#include <QObject>

#include <map>

class QTimer;

namespace quadrel::sim {

// Runs the emulated line in real time on the Qt event loop, with precise
// single-shot timers (the coarse kind may fire 5 % early).
class QtScheduler : public QObject, public Scheduler {
public:
    explicit QtScheduler(QObject* parent = nullptr);
    ~QtScheduler() override;

    TimePoint now() const override;
    uint64_t callAfter(Duration delay, std::function<void()> call) override;
    void cancel(uint64_t id) override;

private:
    QElapsedTimer elapsed_;
    uint64_t nextId_ = 1;
    std::map<uint64_t, QTimer*> timers_;
};

} // namespace quadrel::sim
