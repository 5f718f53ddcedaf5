#pragma once

#include "link/LinkTrace.h"
#include "link/ReplySink.h"
#include "model/Views.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace quadrel {

class basCommunication;
class basQRD;
class StatusPolling;
class Views;

// Turns the units' replies into the model: validates every value against the
// unit's record, stores it (live state) or shows it (a preset being read),
// reports read progress and releases the next request.
class ReplyHandlers : public ReplySink {
public:
    ReplyHandlers(basQRD& model, basCommunication& link, Views& views, StatusPolling& status);

    // Where a reply refused is reported with its reason; may be left unset.
    void setTrace(LinkTrace& trace) { trace_ = &trace; }

    // Told when a unit that had been given up answers its information again.
    void setOnUnitBack(std::function<void(uint8_t)> onBack) { onUnitBack_ = std::move(onBack); }

    void ReplySwitchStatus(SignalKind kind) override;
    void ReplyInputPlugStatus(SignalKind kind) override;
    void ReplyOutputPlugStatus(SignalKind kind) override;
    void ReplyMuteStatus() override;
    void ReplyVolumnLevel() override;
    void ReplyBassLevel() override;
    void ReplyTrebleLevel() override;
    void ReplySubwooferLevel() override;
    void ReplyDelayTime(DelayPart part) override;
    void ReplyEdidType() override;
    void ReplyFirmwareVersion() override;
    void ReplyUnitInfo() override;
    void ReplyExtendedInfo() override;

private:
    enum class Level { Volumn, Bass, Treble, Subwoofer };
    struct Request {
        uint8_t id; // the replying unit
        uint8_t m;  // memory location named by the request
        int32_t priority;
        bool shown; // a preset's location, chosen in the memory frame
    };
    // What to do with one (port, value) pair: false rejects the reply there.
    using PairFn = std::function<bool(int port, int value)>;

    // Tells the trace why the reply is not taken; false, as a rejected pair.
    bool Refuse(const QString& reason) const;
    bool FromSelectedUnit() const;
    // A paired reply of any other unit than the selected one is acknowledged
    // and dropped; true when that happened.
    bool TakenButIgnored();
    Request Current() const;
    // Runs `pair` over the reply's pairs; false when one was rejected.
    bool ForEachPair(const PairFn& pair) const;
    bool ShowsMemory(uint8_t m) const;
    // Whether and how a handler gives the normal pointer back.
    enum class Pointer { Untouched, LiveOnly, AnyLocation };
    // A live value is stored and drawn; a preset's goes to the memory rows,
    // only while its location is the one chosen.
    void StoreOrShow(const Request& r, const std::function<void()>& memoryRow,
                     const std::function<void()>& live) const;
    // The common end of the paired handlers.
    void AfterPairs(bool ok, const Request& r, std::optional<AudioValue> redraw,
                    std::optional<int32_t> step, Pointer pointer);
    void ReplyLevel(Level level);
    // The steps to report for a reply taken: a read that still lacks ports
    // asks for them first.
    std::vector<int32_t> SweepTaken(std::optional<int32_t> step);

    basQRD& model_;
    basCommunication& link_;
    Views& views_;
    std::function<void(uint8_t)> onUnitBack_;
    StatusPolling& status_;
    LinkTrace* trace_ = nullptr;
};

} // namespace quadrel
