#pragma once

#include "link/Bytes.h"
#include "sim/FaultPlan.h"
#include "sim/LineConfig.h"
#include "sim/RequestParser.h"
#include "sim/Scheduler.h"
#include "sim/Unit.h"

#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace quadrel::sim {

// What passed on the line, for a trace.
struct LineEvent {
    enum class Kind { Request, Junk, Answer };
    Kind kind = Kind::Request;
    Scheduler::TimePoint at{0}; // when the last byte had arrived
    Bytes bytes;
    std::string note; // the unit that answered, faults applied, why a request was ignored
};

// The emulated line with its units: takes the bytes the program writes, lets
// the unit addressed by each good request frame act on it, and sends the
// answer back with the timing of a real line (10 bits per byte at the baud
// rate, after the answer latency, handed over byte by byte or in adapter
// chunks) and with the faults configured, other devices' chatter included.
// Time comes only from the scheduler, so the engine runs in virtual or in real
// time.
class ProtocolEngine {
public:
    using Output = std::function<void(const Bytes&)>;
    using Trace = std::function<void(const LineEvent&)>;

    explicit ProtocolEngine(Scheduler& scheduler, LineConfig config = {});
    ~ProtocolEngine();
    ProtocolEngine(const ProtocolEngine&) = delete;
    ProtocolEngine& operator=(const ProtocolEngine&) = delete;

    // Adds a unit; false when its ID is taken or above 31.
    bool addUnit(const UnitConfig& config);
    Unit* unit(uint8_t id);
    std::vector<const Unit*> units() const;

    const LineConfig& config() const { return config_; }
    void setBaud(int baud) { config_.baud = baud > 0 ? baud : config_.baud; }
    void setLineFaults(const FaultConfig& faults);
    // Time one byte takes on the wire: start bit, 8 data bits, stop bit.
    Scheduler::Duration byteTime() const;

    // The program puts bytes on the line now; the units hear them after their
    // wire time. Returns the time when the last of them has left.
    Scheduler::TimePoint hostWrite(const Bytes& bytes);

    // Answer bytes, handed over as they come off the wire (see chunkMs).
    void setOutput(Output output) { output_ = std::move(output); }
    void setTrace(Trace trace) { trace_ = std::move(trace); }

    // Forgets answers on their way and any partly heard frame.
    void cancelPending();

private:
    static constexpr uint8_t kLineSource = 32; // chatter of the line, not of a unit

    struct Slot {
        std::unique_ptr<Unit> unit;
        std::mt19937_64 faultRng;
        std::mt19937_64 roughRng; // echo and foreign frames
        int frames = 0;
        bool silenced = false; // the silence after N frames has begun
        bool cameBack = false;
        Scheduler::TimePoint silentSince{0};
    };

    // A source of stray bytes: the line, or a unit with chatter of its own.
    struct Chatter {
        uint8_t source = kLineSource;
        std::mt19937_64 rng;
        bool running = false;
    };

    void listen(); // a fresh parser, wired to this engine
    void onFrame(const RequestFrame& frame);
    bool isSilent(Slot& slot, const FaultConfig& faults, Scheduler::TimePoint at);
    void send(const Transmission& t, Scheduler::TimePoint earliest, uint8_t id);
    void sendExtras(Slot& slot, const FaultConfig& faults, const Transmission& t);
    // Puts `bytes` on the wire towards the program from `start`; returns when
    // the last has arrived. The caller has claimed the wire.
    Scheduler::TimePoint transmit(Scheduler::TimePoint start, const Bytes& bytes,
                                  const std::string& note);
    Scheduler::TimePoint claimWire(Scheduler::TimePoint earliest, size_t bytes);
    void addChatter(uint8_t source);
    void runChatter(size_t index);
    void chatterTick(size_t index);
    const FaultConfig& chatterFaults(const Chatter& c);
    // An ID that no request on the line is waiting for, drawn by `pick`.
    uint8_t strayId(uint64_t pick, bool avoidUnits) const;
    void at(Scheduler::TimePoint when, std::function<void()> call);
    void trace(LineEvent::Kind kind, Scheduler::TimePoint at, const Bytes& bytes, std::string note);

    Scheduler& scheduler_;
    LineConfig config_;
    RequestParser parser_;
    std::vector<Slot> slots_;
    Output output_;
    Trace trace_;
    Scheduler::TimePoint hostFreeAt_{0};
    Scheduler::TimePoint unitsFreeAt_{0};
    Scheduler::TimePoint frameEnd_{0}; // arrival of the byte being parsed
    std::set<uint64_t> pending_;
    std::vector<Chatter> chatter_;
    std::multiset<uint8_t> idsInFlight_; // addresses written, not yet heard
    int lastRequestId_ = -1;
};

} // namespace quadrel::sim
