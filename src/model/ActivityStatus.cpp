#include "model/ActivityStatus.h"

#include "link/CommandCodes.h"
#include "link/SerialPort.h"
#include "model/basQRD.h"

#include <QCoreApplication>

#include <algorithm>

namespace quadrel {

namespace {

constexpr int kLastId = 31;

QString RowId(int id) {
    return QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
}

QString UnitsFound(long count) {
    return count == 1 ? QCoreApplication::translate("ActivityStatus", "1 unit found")
                      : QCoreApplication::translate("ActivityStatus", "%1 units found").arg(count);
}

} // namespace

QString NotAnsweringText(int id) {
    return QCoreApplication::translate(
               "ActivityStatus", "Unit %1 is not answering: it is asked again in the background")
        .arg(RowId(id));
}

QString NotCurrentText(int id) {
    return QCoreApplication::translate("ActivityStatus",
                                       "Not current: unit %1 is not answering. Its last known "
                                       "values are shown; nothing can be changed until it answers "
                                       "again.")
        .arg(RowId(id));
}

QString AnsweringText(int id) {
    return QCoreApplication::translate("ActivityStatus", "Unit %1 answers").arg(RowId(id));
}

ActivityStatus::ActivityStatus(LinkTrace& trace, const basQRD& model, const SerialPort& port)
    : trace_(trace), model_(model), port_(port) {}

QString ActivityStatus::Text() const {
    if (!port_.isOpen()) {
        return lost_ ? tr("The port was lost: no unit can be reached")
                     : tr("No port is open: no unit can be reached");
    }
    const long found = model_.objUnits().Count();
    if (model_.blScanning) {
        const bool lastSeen =
            std::find(lastSeen_.begin(), lastSeen_.end(), probing_) != lastSeen_.end();
        //: %3: how many units were found so far, as "2 units found"
        return (lastSeen ? tr("Scanning ID %1 of %2, last seen here: %3")
                         : tr("Scanning ID %1 of %2: %3"))
            .arg(probing_)
            .arg(kLastId)
            .arg(UnitsFound(found));
    }
    const UnitRef& selected = model_.objSelectedUnit;
    if (selected && !selected->blConnected()) {
        return NotAnsweringText(selected->bID());
    }
    if (!act_.isEmpty()) {
        return act_;
    }
    if (back_ >= 0 && selected && selected->bID() == back_) {
        return (model_.blLoadingStatus ? tr("Unit %1 answers again: reading it afresh")
                                       : tr("Unit %1 answers again: read afresh"))
            .arg(RowId(back_));
    }
    if (scanEnded_) {
        return found == 0   ? tr("Scan ended: no unit answered")
               : found == 1 ? tr("Scan ended: 1 unit found")
                            : tr("Scan ended: %1 units found").arg(found);
    }
    return QString();
}

void ActivityStatus::UnitBack(uint8_t id) {
    back_ = id;
    act_.clear();
    Changed();
}

void ActivityStatus::Act(const QString& text) {
    act_ = text;
    back_ = -1;
    Changed();
}

void ActivityStatus::ScanStarted(std::vector<uint8_t> lastSeen) {
    lastSeen_ = std::move(lastSeen);
    probing_ = lastSeen_.empty() ? 0 : lastSeen_.front();
    back_ = -1;
    act_.clear();
    scanEnded_ = false;
    if (port_.isOpen()) {
        lost_ = false;
    }
    Changed();
}

void ActivityStatus::ScanEnded() {
    scanEnded_ = true;
    Changed();
}

void ActivityStatus::PortLost() {
    lost_ = true;
    back_ = -1;
    act_.clear();
    Changed();
}

void ActivityStatus::LogRequest(const SEND_PACKET& request) {
    trace_.LogRequest(request);
    if (model_.blScanning && request.bCommand == kCmdGetUnitInfo && request.data(0) == 0) {
        probing_ = request.bID;
    }
    // Also what the operator just did (another unit picked) shows at once.
    Changed();
}

void ActivityStatus::LogAnswer(const SEND_PACKET& request, const Bytes& frame) {
    trace_.LogAnswer(request, frame);
    Changed();
}

void ActivityStatus::LogGiveUp(const SEND_PACKET& request) {
    trace_.LogGiveUp(request);
    Changed();
}

void ActivityStatus::Changed() {
    if (onChanged_) {
        onChanged_();
    }
}

} // namespace quadrel
