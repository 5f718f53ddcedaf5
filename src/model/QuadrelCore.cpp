#include "model/QuadrelCore.h"

#include <QCoreApplication>

#include <vector>

namespace quadrel {

QuadrelCore::QuadrelCore(SerialPort& port, TimerFactory& timers, LinkTrace& trace, Views& views)
    : activity(trace, model, port), link(port, timers, activity, model),
      status(model, link, views, timers, activity), replies(model, link, views, status),
      path(model, link), history(model, link, path, views), recovery(model, link, status, timers),
      views_(views) {
    link.queue.attach(status, views, [this](uint8_t id) { link.senders.CmdGetUnitInfo(id, 0, 1); });
    link.receiver.setReplySink(replies);
    // Refusals join the trace in its order, held with the rest of the input.
    replies.setTrace(trace);
    // Undo acts on the unit a change was made on, never on whatever answers
    // at its ID after a scan or once it has been lost.
    status.setOnScanStarted([this] {
        //: ends "the changes to undo and redo were forgotten when …"
        history.Forget(QCoreApplication::translate("ChangeHistory", "the line was scanned"));
        recovery.Clear();
    });
    link.queue.setOnUnitGivenUp([this](uint8_t id) {
        //: ends "the changes to undo and redo were forgotten when …"
        history.ForgetUnit(
            id, QCoreApplication::translate("ChangeHistory", "unit %1 stopped answering")
                    .arg(QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper()));
        if (link.IsPortOpen()) {
            recovery.GivenUp(id);
        }
    });
    // A unit back after it was given up: the selected one is read afresh,
    // as a click on its row would, and the status line says so.
    const auto back = [this](uint8_t id) {
        recovery.Answers(id);
        const UnitRef selected = model.objSelectedUnit;
        if (selected && selected->bID() == id) {
            if (!status.IsBusy()) {
                status.SetLoadingStatus(true);
            }
            activity.UnitBack(id);
        }
    };
    link.queue.setOnUnitAnswersAgain(back);
    replies.setOnUnitBack(back);
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
        //: ends "the changes to undo and redo were forgotten when …"
        history.Forget(QCoreApplication::translate("ChangeHistory", "the port was lost"));
        recovery.Clear();
        activity.PortLost();
        if (onPortLost_) {
            onPortLost_();
        }
    });
}

void QuadrelCore::SelectUnit(const UnitRef& unit) {
    if (model.objSelectedUnit) {
        link.queue.PurgeCommandsByID(model.objSelectedUnit->bID());
    }
    model.objSelectedUnit = unit;
    status.memory().Keep(); // asked first at the next start
    link.queue.PurgeCommandsByID(unit->bID());
    model.ClearUnitStatus();
    status.SetLoadingStatus(true);
    views_.ClearMemoryLocations();
    views_.ClearMemoryRows();
    views_.UntickSelectAll();
    link.senders.CmdGetUnitInfo(unit->bID(), 0, 1);
}

} // namespace quadrel
