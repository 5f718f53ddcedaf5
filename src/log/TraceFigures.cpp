#include "log/TraceFigures.h"

#include "link/CommandCodes.h"

#include <algorithm>

namespace quadrel {

void TraceFigures::Request(const SEND_PACKET& request) {
    UnitFigures& f = units_[request.bID & 0x1F];
    ++f.requests;
    if (request.bCommand == kCmdGetUnitInfo && request.data(0) == 0) {
        ++f.probes;
    }
    ++revision_;
}

void TraceFigures::Answer(uint8_t id) {
    ++units_[id & 0x1F].answers;
    ++revision_;
}

void TraceFigures::Refused(uint8_t id) {
    UnitFigures& f = units_[id & 0x1F];
    f.answers = std::max(f.answers - 1, 0);
    ++f.refused;
    ++revision_;
}

void TraceFigures::Repeat(uint8_t id) {
    ++units_[id & 0x1F].repeats;
    ++revision_;
}

void TraceFigures::GiveUp(uint8_t id) {
    ++units_[id & 0x1F].givenUp;
    ++revision_;
}

void TraceFigures::Dropped(std::optional<uint8_t> awaited, int bytes) {
    (awaited ? units_[*awaited & 0x1F].droppedBytes : droppedIdle_) += bytes;
    ++revision_;
}

void TraceFigures::Reset() {
    units_ = {};
    droppedIdle_ = 0;
    since_ = {};
    ++revision_;
}

bool TraceFigures::IsEmptyId(uint8_t id) const {
    const UnitFigures& f = unit(id);
    return f.requests > 0 && f.probes == f.requests && f.answers == 0 && f.refused == 0 &&
           f.droppedBytes == 0;
}

std::vector<uint8_t> TraceFigures::UnitsShown() const {
    std::vector<uint8_t> ids;
    for (uint8_t id = 0; id < units_.size(); ++id) {
        const UnitFigures& f = units_[id];
        if ((f.requests > 0 || f.droppedBytes > 0) && !IsEmptyId(id)) {
            ids.push_back(id);
        }
    }
    return ids;
}

std::vector<uint8_t> TraceFigures::EmptyIds() const {
    std::vector<uint8_t> ids;
    for (uint8_t id = 0; id < units_.size(); ++id) {
        if (IsEmptyId(id)) {
            ids.push_back(id);
        }
    }
    return ids;
}

} // namespace quadrel
