#pragma once

#include "link/SendPacket.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quadrel {

// What one unit ID's line has cost while the trace was watched. A bad cable
// shows as rising repeats and dropped bytes; a unit that stopped answering
// as give-ups.
struct UnitFigures {
    int requests = 0;
    int answers = 0;
    int refused = 0; // replies whose values the program would not take
    int repeats = 0;
    int givenUp = 0;
    int droppedBytes = 0; // dropped while this unit's answer was awaited
    int probes = 0;       // requests that only asked whether a unit is there
};

// The figures per unit ID. An ID that was only probed and never answered
// (the scan asking an empty ID) is no fault: it is listed apart, not as a
// unit with repeats and give-ups.
class TraceFigures {
public:
    void Request(const SEND_PACKET& request);
    void Answer(uint8_t id);
    // A reply taken as an answer, then refused: counted as refused instead.
    void Refused(uint8_t id);
    void Repeat(uint8_t id);
    void GiveUp(uint8_t id);
    // `awaited`: the unit whose answer was awaited, if any.
    void Dropped(std::optional<uint8_t> awaited, int bytes);
    void Reset();
    // When counting began, since the start or the last Reset(); invalid until then.
    const QDateTime& since() const { return since_; }
    void setSince(const QDateTime& at) { since_ = at; }

    const UnitFigures& unit(uint8_t id) const { return units_.at(id & 0x1F); }
    // Bytes dropped while no answer was awaited.
    int droppedIdle() const { return droppedIdle_; }
    // IDs with figures worth a row, in order; empty IDs are not among them.
    std::vector<uint8_t> UnitsShown() const;
    // IDs probed and found empty.
    std::vector<uint8_t> EmptyIds() const;
    bool IsEmptyId(uint8_t id) const;
    // Moves on every change, so a view redraws only when it did.
    uint64_t revision() const { return revision_; }

private:
    std::array<UnitFigures, 32> units_{};
    int droppedIdle_ = 0;
    uint64_t revision_ = 0;
    QDateTime since_;
};

} // namespace quadrel
