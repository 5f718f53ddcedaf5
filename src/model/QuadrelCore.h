#pragma once

#include "link/LinkTrace.h"
#include "link/SerialPort.h"
#include "link/Timer.h"
#include "link/basCommunication.h"
#include "model/ActivityStatus.h"
#include "model/ChangeHistory.h"
#include "model/ChangePath.h"
#include "model/ReplyHandlers.h"
#include "model/StatusPolling.h"
#include "model/UnitRecovery.h"
#include "model/basQRD.h"

#include <functional>

namespace quadrel {

class Views;

// The whole core, wired: the model, the link on one port, the reply handlers
// and the scan and poll. The program owns one; a test builds a fresh one.
class QuadrelCore {
public:
    QuadrelCore(SerialPort& port, TimerFactory& timers, LinkTrace& trace, Views& views);
    QuadrelCore(const QuadrelCore&) = delete;
    QuadrelCore& operator=(const QuadrelCore&) = delete;

    // Makes `unit` the selected one and reads it afresh, as a click on its
    // row in the unit list does: what was waiting for either is withdrawn,
    // and the views forget the last unit's status and memory.
    void SelectUnit(const UnitRef& unit);

    // Told after a vanished port has been closed and any scan or read ended.
    void setOnPortLost(std::function<void()> onLost) { onPortLost_ = std::move(onLost); }

    basQRD model;
    // What the status line says; the link's trace goes through it.
    ActivityStatus activity;
    basCommunication link;
    StatusPolling status;
    ReplyHandlers replies;
    // The one way from an operator's change to the line.
    ChangePath path;
    ChangeHistory history;
    UnitRecovery recovery;

private:
    Views& views_;
    std::function<void()> onPortLost_;
};

} // namespace quadrel
