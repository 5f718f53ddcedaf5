#include "model/QuadrelCore.h"

#include <vector>

namespace quadrel {

QuadrelCore::QuadrelCore(SerialPort& port, TimerFactory& timers, LinkTrace& trace, Views& views)
    : activity(trace, model, port), link(port, timers, activity, model),
      status(model, link, views, timers, activity), replies(model, link, views, status),
      history(model, link, views) {
    link.queue.attach(status, views, [this](uint8_t id) { link.senders.CmdGetUnitInfo(id, 0, 1); });
    link.receiver.setReplySink(replies);
    link.setOnPortLost([this] {
        status.EndBusyIfPortClosed();
        // Nothing answers through a lost port: every unit is given up, so
        // the pages are disabled as for a silent selected unit.
        std::vector<uint8_t> ids;
        if (model.objSelectedUnit) {
            ids.push_back(model.objSelectedUnit->bID());
        }
        for (const auto& entry : model.objUnits()) {
            if (entry.unit && entry.unit != model.objSelectedUnit) {
                ids.push_back(entry.unit->bID());
            }
        }
        for (const uint8_t id : ids) {
            link.queue.SetUnitAnswering(id, false);
        }
        activity.PortLost();
        if (onPortLost_) {
            onPortLost_();
        }
    });
}

} // namespace quadrel
