#include "model/ScanMemory.h"

#include "link/CommandCodes.h"
#include "link/basCommunication.h"
#include "model/Views.h"
#include "model/basQRD.h"

#include <algorithm>
#include <chrono>

namespace quadrel {

using namespace std::chrono_literals;

namespace {

constexpr uint8_t kIds = 32;

bool IsProbe(const SEND_PACKET& p) {
    return p.bCommand == kCmdGetUnitInfo && p.data(0) == 0;
}

} // namespace

ScanMemory::ScanMemory(basQRD& model, basCommunication& link, Views& views, TimerFactory& timers)
    : model_(model), link_(link), views_(views), write_(timers.createTimer(0ms)) {
    write_->setOnTick([this] { Write(); });
}

ScanMemory::~ScanMemory() {
    link_.queue.DropTag(tag_);
    Write();
}

void ScanMemory::Write() {
    write_->stop();
    if (unwritten_) {
        const auto [port, units] = *std::exchange(unwritten_, std::nullopt);
        store_.Keep(port, units);
    }
}

std::vector<uint8_t> ScanMemory::Begin() {
    TransmitQueue& q = link_.queue;
    // A probe of an earlier scan still awaited is not this scan's.
    q.DropTag(tag_);
    tag_ = q.NewTag([this](const SEND_PACKET& p, TransmitQueue::FrameEnd end) { OnFrame(p, end); });
    port_ = link_.IsPortOpen() ? link_.port().portNumber() : 0;
    Write(); // what the last scan found, first
    pending_ = port_ > 0 ? store_.Units(port_) : std::vector<LastSeenStore::Unit>{};
    first_.clear();
    std::vector<uint8_t> order;
    for (const LastSeenStore::Unit& unit : pending_) {
        views_.ShowLastSeenRow(unit.id, unit.name);
        first_.push_back(unit.id);
        order.push_back(unit.id);
    }
    for (uint8_t id = 0; id < kIds; ++id) {
        if (!AskedFirst(id)) {
            order.push_back(id);
        }
    }
    return order;
}

bool ScanMemory::AskedFirst(uint8_t id) const {
    return std::find(first_.begin(), first_.end(), id) != first_.end();
}

void ScanMemory::OnFrame(const SEND_PACKET& packet, TransmitQueue::FrameEnd end) {
    // Answers to the probes hand their tag on to what they ask next.
    if (!IsProbe(packet) ||
        (end != TransmitQueue::FrameEnd::Answered && end != TransmitQueue::FrameEnd::GivenUp)) {
        return;
    }
    const uint8_t id = packet.bID;
    const auto last = std::find_if(pending_.begin(), pending_.end(),
                                   [id](const LastSeenStore::Unit& u) { return u.id == id; });
    if (end == TransmitQueue::FrameEnd::GivenUp && !model_.FindUnit(id) && last != pending_.end()) {
        // Not on the line now: no longer listed, nor asked first next time.
        views_.DropLastSeenRows(id);
    }
    if (last != pending_.end()) {
        pending_.erase(last);
    }
    Keep();
}

void ScanMemory::End() {
    views_.DropLastSeenRows(-1);
    first_.clear();
    Keep();
}

void ScanMemory::Keep() {
    if (port_ < 1) {
        return;
    }
    std::vector<LastSeenStore::Unit> units;
    const UnitRef selected = model_.objSelectedUnit;
    if (selected && model_.FindUnit(selected->bID()) == selected) {
        units.push_back({selected->bID(), selected->sName()});
    }
    std::vector<UnitRef> found;
    for (const auto& entry : model_.objUnits()) {
        if (entry.unit && entry.unit != selected) {
            found.push_back(entry.unit);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const UnitRef& a, const UnitRef& b) { return a->bID() < b->bID(); });
    for (const UnitRef& unit : found) {
        units.push_back({unit->bID(), unit->sName()});
    }
    for (const LastSeenStore::Unit& unit : pending_) {
        if (!model_.FindUnit(unit.id)) {
            units.push_back(unit);
        }
    }
    if (unwritten_ && unwritten_->first != port_) {
        Write(); // another port's, still to be written
    }
    if (unwritten_ || store_.Units(port_) != units) {
        unwritten_.emplace(port_, std::move(units));
        write_->setEnabled(true);
    }
}

} // namespace quadrel
