#pragma once

#include "link/ReplySink.h"
#include "link/Timer.h"
#include "model/PortSweep.h"
#include "model/ScanMemory.h"

#include <QCoreApplication>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace quadrel {

class ActivityStatus;
class basCommunication;
class basQRD;
class Views;

// What the program asks of the units on its own: the scan of IDs 0 to 31,
// the full status read of the selected unit (live or one preset) with the
// busy state that goes with it, and the once-a-second poll.
class StatusPolling : public BusyFlags {
    Q_DECLARE_TR_FUNCTIONS(StatusPolling)

public:
    // `activity` hears when a scan starts and ends.
    StatusPolling(basQRD& model, basCommunication& link, Views& views, TimerFactory& timers,
                  ActivityStatus& activity);

    bool IsBusy() const;
    void SetLoadingStatus(bool on) override;
    void SetScanning(bool on) override;
    void SetLoadingMemory(bool on) override;
    bool blScanning() const override;
    uint8_t LastProbeId() const override { return lastProbe_; }

    // Queues the status requests of the selected unit for memory location m
    // (0: the live state). A read that queues nothing ends at once.
    void RequestUnitStatus(uint8_t m);
    // A preset read as SetLoadingMemory (true) starts it, of location m named
    // by the caller rather than chosen in the location list. Does nothing
    // while another preset read runs.
    void ReadMemoryLocation(uint8_t m);
    void StatusStepDone(uint8_t id, uint8_t m, int32_t step);
    void EndLoadingStatus();

    // The scan button.
    void cmdScan_Click();
    // One tick of the poll: only when the line is idle and nothing is busy.
    void StatusPoll();

    // No answer can come while the port is closed: end a scan or read now
    // rather than leave the hourglass up.
    void EndBusyIfPortClosed();

    Timer& timRequestStatus() { return *timRequestStatus_; }
    // What the running reads have seen of the unit's ports.
    PortSweep& sweep() { return sweep_; }
    // The units last seen on each port, asked first by a scan.
    ScanMemory& memory() { return memory_; }
    // Told whenever the last of a scan, a read and a preset read has ended.
    int AddIdleListener(std::function<void()> listener);
    void RemoveIdleListener(int id);
    // Told as a scan starts, before it empties the model.
    void setOnScanStarted(std::function<void()> onStarted) {
        onScanStarted_ = std::move(onStarted);
    }

private:
    void EndReadOfUnit(uint8_t id);

    basQRD& model_;
    basCommunication& link_;
    Views& views_;
    ActivityStatus& activity_;
    std::unique_ptr<Timer> timRequestStatus_;
    PortSweep sweep_;
    ScanMemory memory_;
    uint8_t lastProbe_ = 31;
    std::function<void()> onScanStarted_;
    std::map<int, std::function<void()>> idleListeners_;
    int lastListener_ = 0;

    void TellIdle();
};

} // namespace quadrel
