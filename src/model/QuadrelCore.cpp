#include "model/QuadrelCore.h"

namespace quadrel {

QuadrelCore::QuadrelCore(SerialPort& port, TimerFactory& timers, LinkTrace& trace, Views& views)
    : link(port, timers, trace, model), status(model, link, views, timers),
      replies(model, link, views, status), history(model, link, views) {
    link.queue.attach(status, views, [this](uint8_t id) { link.senders.CmdGetUnitInfo(id, 0, 1); });
    link.receiver.setReplySink(replies);
    link.setOnPortLost([this] {
        status.EndBusyIfPortClosed();
        if (onPortLost_) {
            onPortLost_();
        }
    });
}

} // namespace quadrel
