#include "sim/ProtocolEngine.h"

#include "link/basCRC8_Dallas_1_Wire.h"

#include <algorithm>

namespace quadrel::sim {
namespace {

double Chance(std::mt19937_64& rng) {
    return static_cast<double>(rng() >> 11) * (1.0 / 9007199254740992.0);
}

std::mt19937_64 Generator(uint64_t seed, uint8_t source, uint64_t purpose) {
    std::seed_seq seq{seed, static_cast<uint64_t>(source), purpose};
    return std::mt19937_64(seq);
}

} // namespace

ProtocolEngine::ProtocolEngine(Scheduler& scheduler, LineConfig config)
    : scheduler_(scheduler), config_(std::move(config)) {
    listen();
    addChatter(kLineSource);
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
    slot.roughRng = Generator(config_.seed, config.id, 3);
    slots_.push_back(std::move(slot));
    if (config.faults) {
        addChatter(config.id);
    }
    return true;
}

void ProtocolEngine::setLineFaults(const FaultConfig& faults) {
    config_.faults = faults;
    runChatter(0);
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
    // Rounded up to the microsecond: the emulated line is never faster than a
    // real one (1042 us a byte at 9600 baud, not 1041.7).
    const int baud = std::max(config_.baud, 1);
    return Scheduler::Duration((10'000'000 + baud - 1) / baud);
}

Scheduler::TimePoint ProtocolEngine::hostWrite(const Bytes& bytes) {
    const Scheduler::TimePoint start = std::max(scheduler_.now(), hostFreeAt_);
    const Scheduler::Duration bt = byteTime();
    hostFreeAt_ = start + bt * static_cast<long>(bytes.size());
    if (bytes.empty()) {
        return hostFreeAt_;
    }
    // Address bytes on their way: stray frames keep off those IDs.
    Bytes addresses;
    for (uint8_t b : bytes) {
        if ((b & 0x60) == 0x20) {
            addresses.push_back(b & 0x1F);
            idsInFlight_.insert(b & 0x1F);
        }
    }
    at(hostFreeAt_, [this, bytes, start, bt, addresses] {
        for (uint8_t id : addresses) {
            if (auto it = idsInFlight_.find(id); it != idsInFlight_.end()) {
                idsInFlight_.erase(it);
            }
        }
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
    idsInFlight_.clear();
    for (Chatter& c : chatter_) {
        c.running = false;
    }
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
    lastRequestId_ = frame.id;
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
        const UnitState before = faults.deaf ? slot.unit->state() : UnitState{};
        answer = slot.unit->handle(frame.command, frame.data[0], frame.data[1], t);
        if (faults.deaf && answer && !answer->reply) {
            slot.unit->state() = before; // acknowledged, not carried out
        }
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
    } else {
        send(plan, t + config_.latency + plan.extraDelay, frame.id);
    }
    sendExtras(slot, faults, plan);
}

void ProtocolEngine::send(const Transmission& t, Scheduler::TimePoint earliest, uint8_t id) {
    // The units share one wire towards the program: answers never overlap.
    Scheduler::TimePoint start = std::max(earliest, unitsFreeAt_);
    std::string note = "unit " + std::to_string(id);
    if (!t.faults.empty()) {
        note += " " + t.faults;
    }
    for (const Transmission::Piece& piece : t.pieces) {
        start = transmit(start + piece.gapBefore, piece.bytes, note);
    }
    unitsFreeAt_ = start;
}

void ProtocolEngine::sendExtras(Slot& slot, const FaultConfig& faults, const Transmission& t) {
    // Fixed number of draws per answer, as in FaultPlan.
    const double echo = Chance(slot.roughRng);
    const double foreign = Chance(slot.roughRng);
    const uint64_t foreignDelay = slot.roughRng();
    const uint64_t foreignPick = slot.roughRng();
    const uint64_t foreignForm = slot.roughRng();
    const uint8_t id = slot.unit->id();
    if (!t.lost && echo < faults.echo) {
        const auto start =
            claimWire(unitsFreeAt_ + std::chrono::milliseconds(faults.echoMs), t.frame.size());
        unitsFreeAt_ = transmit(start, t.frame, "unit " + std::to_string(id) + " echo");
    }
    if (foreign < faults.foreign) {
        // An acknowledgement or a reply with four data bytes; its ID is chosen
        // when it starts, among those that nothing waits for then.
        const bool reply = foreignForm % 2 == 1;
        const size_t length = reply ? 7 : 2;
        const auto delay = std::chrono::milliseconds(
            static_cast<long>(foreignDelay % static_cast<uint64_t>(faults.foreignMs + 1)));
        const auto start = claimWire(std::max(unitsFreeAt_, scheduler_.now()) + delay, length);
        at(start, [this, start, reply, foreignPick, foreignForm] {
            const uint8_t other = strayId(foreignPick, true);
            Bytes frame{static_cast<uint8_t>(0x80 | other)};
            if (reply) {
                frame.push_back(4);
                for (int i = 0; i < 4; ++i) {
                    frame.push_back(static_cast<uint8_t>(foreignForm >> (8 * (i + 1))));
                }
            }
            frame.push_back(
                basCRC8_Dallas_1_Wire::CalculateCrc8(frame, static_cast<int>(frame.size())));
            transmit(start, frame, "foreign unit " + std::to_string(other));
        });
    }
}

Scheduler::TimePoint ProtocolEngine::claimWire(Scheduler::TimePoint earliest, size_t bytes) {
    const Scheduler::TimePoint start = std::max(earliest, unitsFreeAt_);
    unitsFreeAt_ = start + byteTime() * static_cast<long>(bytes);
    return start;
}

Scheduler::TimePoint ProtocolEngine::transmit(Scheduler::TimePoint start, const Bytes& bytes,
                                              const std::string& note) {
    const Scheduler::Duration bt = byteTime();
    const Scheduler::Duration chunk = std::chrono::milliseconds(std::max(config_.chunkMs, 0));
    const Scheduler::TimePoint end = start + bt * static_cast<long>(bytes.size());
    const auto arrival = [&](size_t i) { return start + bt * static_cast<long>(i + 1); };
    // A byte is handed over when it has arrived, or with the adapter's chunk
    // when the time of that chunk is up.
    const auto handOver = [&](size_t i) {
        if (chunk.count() == 0) {
            return arrival(i);
        }
        return chunk * ((arrival(i).count() + chunk.count() - 1) / chunk.count());
    };
    for (size_t from = 0; from < bytes.size();) {
        const Scheduler::TimePoint when = handOver(from);
        size_t to = from + 1;
        while (to < bytes.size() && handOver(to) == when) {
            ++to;
        }
        const bool last = to == bytes.size();
        Bytes part(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(to));
        at(when, [this, part = std::move(part), whole = last ? bytes : Bytes{}, last, end, note] {
            if (last) {
                trace(LineEvent::Kind::Answer, end, whole, note);
            }
            if (output_) {
                output_(part);
            }
        });
        from = to;
    }
    return end;
}

void ProtocolEngine::addChatter(uint8_t source) {
    Chatter c;
    c.source = source;
    c.rng = Generator(config_.seed, source, 4);
    chatter_.push_back(std::move(c));
    runChatter(chatter_.size() - 1);
}

const FaultConfig& ProtocolEngine::chatterFaults(const Chatter& c) {
    const Unit* u = c.source == kLineSource ? nullptr : unit(c.source);
    return u != nullptr && u->config().faults ? *u->config().faults : config_.faults;
}

void ProtocolEngine::runChatter(size_t index) {
    Chatter& c = chatter_[index];
    const FaultConfig& f = chatterFaults(c);
    if (c.running || f.chatter <= 0 || f.chatterMs <= 0) {
        return;
    }
    c.running = true;
    at(scheduler_.now() + std::chrono::milliseconds(f.chatterMs),
       [this, index] { chatterTick(index); });
}

void ProtocolEngine::chatterTick(size_t index) {
    Chatter& c = chatter_[index];
    c.running = false;
    const FaultConfig& f = chatterFaults(c);
    const double chance = Chance(c.rng);
    const uint64_t pick = c.rng();
    if (chance < f.chatter) {
        // Between answers: the wire towards the program carries one thing at a time.
        const Scheduler::TimePoint start = claimWire(scheduler_.now(), 1);
        at(start, [this, start, pick] {
            const Bytes stray{static_cast<uint8_t>(0x80 | strayId(pick, false))};
            transmit(start, stray, "chatter");
        });
    }
    runChatter(index);
}

uint8_t ProtocolEngine::strayId(uint64_t pick, bool avoidUnits) const {
    std::vector<uint8_t> free;
    for (uint8_t id = 0; id < 32; ++id) {
        const bool awaited = id == lastRequestId_ || idsInFlight_.count(id) > 0;
        const bool taken =
            avoidUnits && std::any_of(slots_.begin(), slots_.end(),
                                      [id](const Slot& s) { return s.unit->id() == id; });
        if (!awaited && !taken) {
            free.push_back(id);
        }
    }
    if (free.empty()) {
        return static_cast<uint8_t>((lastRequestId_ + 1) & 0x1F);
    }
    return free[pick % free.size()];
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
