#include "sim/ProtocolEngine.h"

#include <algorithm>

namespace quadrel::sim {
ProtocolEngine::ProtocolEngine(Scheduler& scheduler, LineConfig config)
    : scheduler_(scheduler), config_(std::move(config)) {
    listen();
}

void ProtocolEngine::listen() {
    parser_ = RequestParser{};
    parser_.onFrame = [this](const RequestFrame& frame) { onFrame(frame); };
    parser_.onJunk = [this](const Bytes& bytes) {
        trace(LineEvent::Kind::Junk, frameEnd_, bytes, "not a request");
    };
}

ProtocolEngine::~ProtocolEngine() {
    cancelPending();
}

bool ProtocolEngine::addUnit(const UnitConfig& config) {
    if (config.id > 31 || unit(config.id) != nullptr) {
        return false;
    }
    // Each unit draws from generators of its own, so its faults and plug
    // changes do not depend on the traffic of other units.
    std::seed_seq plugSeed{config_.seed, static_cast<uint64_t>(config.id), uint64_t{2}};
    std::seed_seq faultSeed{config_.seed, static_cast<uint64_t>(config.id), uint64_t{1}};
    uint32_t plugSeedValue = 0;
    plugSeed.generate(&plugSeedValue, &plugSeedValue + 1);
    Slot slot;
    slot.unit = std::make_unique<Unit>(config, plugSeedValue);
    slot.faultRng.seed(faultSeed);
    slots_.push_back(std::move(slot));
    return true;
}

Unit* ProtocolEngine::unit(uint8_t id) {
    for (Slot& s : slots_) {
        if (s.unit->id() == id) {
            return s.unit.get();
        }
    }
    return nullptr;
}

std::vector<const Unit*> ProtocolEngine::units() const {
    std::vector<const Unit*> list;
    for (const Slot& s : slots_) {
        list.push_back(s.unit.get());
    }
    return list;
}

Scheduler::Duration ProtocolEngine::byteTime() const {
    return Scheduler::Duration(10'000'000 / std::max(config_.baud, 1));
}

Scheduler::TimePoint ProtocolEngine::hostWrite(const Bytes& bytes) {
    const Scheduler::TimePoint start = std::max(scheduler_.now(), hostFreeAt_);
    const Scheduler::Duration bt = byteTime();
    hostFreeAt_ = start + bt * static_cast<long>(bytes.size());
    if (bytes.empty()) {
        return hostFreeAt_;
    }
    at(hostFreeAt_, [this, bytes, start, bt] {
        Scheduler::TimePoint t = start;
        for (uint8_t b : bytes) {
            t += bt;
            frameEnd_ = t;
            parser_.feed(b, t);
        }
    });
    return hostFreeAt_;
}

void ProtocolEngine::cancelPending() {
    for (uint64_t id : pending_) {
        scheduler_.cancel(id);
    }
    pending_.clear();
    listen();
}

bool ProtocolEngine::isSilent(Slot& slot, const FaultConfig& faults, Scheduler::TimePoint t) {
    if (faults.silent) {
        return true;
    }
    if (slot.silenced) {
        const auto back = slot.silentSince + std::chrono::milliseconds(faults.silentForMs);
        if (faults.silentForMs <= 0 || t < back) {
            return true;
        }
        slot.silenced = false;
        slot.cameBack = true;
    }
    if (faults.silentAfterFrames > 0 && !slot.cameBack &&
        ++slot.frames > faults.silentAfterFrames) {
        slot.silenced = true;
        slot.silentSince = t;
        return true;
    }
    return false;
}

void ProtocolEngine::onFrame(const RequestFrame& frame) {
    const Scheduler::TimePoint t = frameEnd_;
    auto it = std::find_if(slots_.begin(), slots_.end(),
                           [&](const Slot& s) { return s.unit->id() == frame.id; });
    if (it == slots_.end()) {
        trace(LineEvent::Kind::Request, t, frame.raw, "no unit " + std::to_string(frame.id));
        return;
    }
    Slot& slot = *it;
    const FaultConfig& faults = slot.unit->config().faults.value_or(config_.faults);
    if (isSilent(slot, faults, t)) {
        trace(LineEvent::Kind::Request, t, frame.raw,
              "unit " + std::to_string(frame.id) + " silent");
        return;
    }
    std::optional<Answer> answer;
    if (frame.data.size() == 2) {
        answer = slot.unit->handle(frame.command, frame.data[0], frame.data[1], t);
    }
    if (!answer) {
        trace(LineEvent::Kind::Request, t, frame.raw,
              "unit " + std::to_string(frame.id) + " refuses");
        return;
    }
    trace(LineEvent::Kind::Request, t, frame.raw, "unit " + std::to_string(frame.id));
    if (!frame.answerWanted) {
        return;
    }
    Transmission plan =
        FaultPlan::Plan(faults, slot.faultRng, *slot.unit, frame.command, std::move(*answer));
    if (plan.lost) {
        trace(LineEvent::Kind::Answer, t, {}, "unit " + std::to_string(frame.id) + " lost");
        return;
    }
    send(plan, t + config_.latency + plan.extraDelay, frame.id);
}

void ProtocolEngine::send(const Transmission& t, Scheduler::TimePoint earliest, uint8_t id) {
    // The units share one wire towards the program: answers never overlap.
    Scheduler::TimePoint start = std::max(earliest, unitsFreeAt_);
    std::string note = "unit " + std::to_string(id);
    if (!t.faults.empty()) {
        note += " " + t.faults;
    }
    for (const Transmission::Piece& piece : t.pieces) {
        start += piece.gapBefore;
        const Scheduler::TimePoint arrival =
            start + byteTime() * static_cast<long>(piece.bytes.size());
        at(arrival, [this, bytes = piece.bytes, arrival, note] {
            trace(LineEvent::Kind::Answer, arrival, bytes, note);
            if (output_) {
                output_(bytes);
            }
        });
        start = arrival;
    }
    unitsFreeAt_ = start;
}

void ProtocolEngine::at(Scheduler::TimePoint when, std::function<void()> call) {
    auto id = std::make_shared<uint64_t>(0);
    *id = scheduler_.callAfter(when - scheduler_.now(), [this, id, call = std::move(call)] {
        pending_.erase(*id);
        call();
    });
    pending_.insert(*id);
}

void ProtocolEngine::trace(LineEvent::Kind kind, Scheduler::TimePoint t, const Bytes& bytes,
                           std::string note) {
    if (trace_) {
        trace_(LineEvent{kind, t, bytes, std::move(note)});
    }
}

} // namespace quadrel::sim
