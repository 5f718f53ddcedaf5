#pragma once

#include "link/FrameBuilder.h"
#include "link/LinkTrace.h"
#include "link/SendPacket.h"
#include "link/SerialPort.h"
#include "link/Timer.h"

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace quadrel {

class basQRD;
class BusyFlags;
class Views;

// The one-question-at-a-time discipline of the line: frames wait here, one is
// written, and the next goes out only after a positive answer or after three
// unanswered tries, which mark the unit as not answering.
class TransmitQueue : public FrameQueue {
public:
    static constexpr int kMaxTries = 3;

    // How a tagged frame left the queue's hands.
    enum class FrameEnd { Queued, Answered, GivenUp, Withdrawn };
    using FrameDone = std::function<void(const SEND_PACKET&, FrameEnd)>;

    TransmitQueue(SerialPort& port, TimerFactory& timers, LinkTrace& trace, basQRD& model);

    // What SetUnitAnswering reaches beyond the link; set once while wiring.
    void attach(BusyFlags& busy, Views& views, std::function<void(uint8_t)> requestUnitInfo);
    // Asked when the answer time runs out: is the awaited unit's answer still
    // arriving? The repeat then waits for that frame to end.
    void setReceivingFrom(std::function<bool(uint8_t)> receivingFrom) {
        receivingFrom_ = std::move(receivingFrom);
    }

    // Tags: frames queued while a tag is current carry it. A tag with a
    // listener hears of each of its frames as it is queued and once more when
    // it is answered, given up or withdrawn, after the queue is consistent again and before the
    // next frame is written, so a job's next step goes out at once.
    uint32_t NewTag();
    uint32_t NewTag(FrameDone listener);
    // Listens to an existing tag's frames from now on.
    void Listen(uint32_t tag, FrameDone listener) { listeners_[tag] = std::move(listener); }
    void DropTag(uint32_t tag);
    void setCurrentTag(uint32_t tag, int32_t step = -1) {
        currentTag_ = tag;
        currentStep_ = step;
    }
    uint32_t currentTag() const { return currentTag_; }
    // The step of a change's follow-up query, apart from its settings.
    static constexpr int32_t kFollowUpStep = -2;
    // Frames of `tag` not yet written; without the follow-up queries when asked.
    bool HasWaiting(uint32_t tag, bool settingsOnly = false) const;
    int32_t currentStep() const { return currentStep_; }
    // Written and awaiting an answer, or not yet written.
    bool HasPending(uint32_t tag) const;
    // Withdraws the waiting frames of `tag`, those of `step` only when given.
    void PurgeCommandsByTag(uint32_t tag, std::optional<int32_t> step = std::nullopt);

    bool QueueCommand(const SEND_PACKET& packet) override;
    void InsertCommand(const SEND_PACKET& packet);
    bool SendNextCommand();
    void RemoveCommand(int index);

    void PurgeCommandsByID(uint8_t id);
    void PurgeCommandsByCode(uint8_t code);
    void PurgeCommandsByData0(uint8_t code, uint8_t data0);
    void PurgeCommandsByData1(uint8_t code, uint8_t data1);
    void PurgeCommandsByData(uint8_t code, uint8_t data1, uint8_t data0);
    // Drops every waiting frame; the awaited one is left alone.
    void ClearQueue();
    // Back to as built: nothing waits, nothing is awaited, every timer stopped.
    void Reset();

    bool AcknowledgeCommand();
    // Every unit starts its next exchange with a full set of tries.
    void ResetRetries() { iRetryCount_.fill(0); }
    void SetUnitAnswering(uint8_t id, bool answering);
    // Told when a known unit that answered is given up.
    void setOnUnitGivenUp(std::function<void(uint8_t)> onGivenUp) {
        onUnitGivenUp_ = std::move(onGivenUp);
    }
    // Told when a known unit that had been given up answers again.
    void setOnUnitAnswersAgain(std::function<void(uint8_t)> onAnswers) {
        onUnitAnswersAgain_ = std::move(onAnswers);
    }

    // The receive path ended a frame (taken, dropped or timed out): a repeat
    // held back for it goes out now.
    void FrameEnded();
    // Bytes came in: while settling, those that could be the repeated unit's
    // second answer start the quiet time again.
    void LineActive(const Bytes& bytes);
    // After an answer to a repeated request the unit may answer once more;
    // the next frame waits until the line has been quiet for kSettleTime and
    // that answer could have come whole (SettleLimit() after the repeat: a
    // line may hand an answer over only once its last byte is in), and never
    // longer than SettleLimit() in all: other devices' bytes must not stop
    // the line.
    bool IsSettling() const { return settling_; }
    static constexpr std::chrono::milliseconds kSettleTime{300};
    // One answer time-out plus the wire time of the longest answer.
    std::chrono::milliseconds SettleLimit() const;
    // The line's speed from the port's settings; 9600 when they do not say.
    long long Baud() const;

    // A scan starts: the awaited frame, if any, belongs to what went before.
    void ScanStarted() { awaitedBeforeScan_ = true; }
    bool IsAwaitedFromBeforeScan() const { return awaitedBeforeScan_; }

    bool IsWaitingForAnswer() const { return timWaitACK_->isActive(); }
    // The awaited request is still going out at the line's speed: bytes in
    // hand now were sent before the unit could have heard it whole, so they
    // answer something earlier.
    bool RequestOnWire() const { return IsWaitingForAnswer() && timers_.now() < onWireUntil_; }
    // An answer taken for `packet` proved doubtful: it is asked again next,
    // for the same job.
    void AskAgain(const SEND_PACKET& packet);
    // Counts every frame written, repeats included: bytes in hand before a
    // write cannot be the answer to what it wrote.
    uint64_t framesWritten() const { return framesWritten_; }
    const SEND_PACKET& CurrentCommand() const { return CurrentCommand_; }
    const std::deque<SEND_PACKET>& SendQueue() const { return SendQueue_; }
    size_t iSendQueueCount() const { return SendQueue_.size(); }
    int iRetryCount(uint8_t id) const { return iRetryCount_.at(id & 0x1F); }
    Timer& timSendQueue() { return *timSendQueue_; }
    Timer& timWaitACK() { return *timWaitACK_; }

private:
    void WriteFrame(const SEND_PACKET& packet);
    // Writes bytes, counted and timed on the wire; a repeat too.
    void WriteBytes(const Bytes& frame);
    void StartWaitAck();
    void OnSendQueueTick();
    void OnWaitAckTick();
    void OnQuietTick();
    void OnRepeatAnswerTick();
    void StartSettling();
    void EndSettling();
    void AnswerTimedOut();
    template <typename Match> void PurgeIf(Match match);
    void Tell(const SEND_PACKET& packet, FrameEnd end);
    // The awaited frame is done with: its listener hears of it once.
    void EndCurrent(FrameEnd end);

    SerialPort& port_;
    TimerFactory& timers_;
    LinkTrace& trace_;
    basQRD& model_;
    BusyFlags* busy_ = nullptr;
    Views* views_ = nullptr;
    std::function<void(uint8_t)> requestUnitInfo_;
    std::function<bool(uint8_t)> receivingFrom_;
    std::function<void(uint8_t)> onUnitGivenUp_;
    std::function<void(uint8_t)> onUnitAnswersAgain_;

    std::deque<SEND_PACKET> SendQueue_;
    SEND_PACKET CurrentCommand_;
    std::array<int, 32> iRetryCount_{};
    std::unique_ptr<Timer> timSendQueue_;
    std::unique_ptr<Timer> timWaitACK_;
    std::unique_ptr<Timer> timSettle_;
    std::unique_ptr<Timer> timSettleLimit_;
    std::unique_ptr<Timer> timRepeatAnswer_; // runs until the repeat's answer may be whole
    bool settling_ = false;
    bool repeatHeld_ = false;
    bool repeated_ = false; // the awaited frame was written more than once
    bool heard_ = false;    // bytes came in since the awaited frame was written
    bool awaitedBeforeScan_ = false;
    bool currentOpen_ = false; // CurrentCommand_ has not been told of yet
    bool holdWrites_ = false;
    uint64_t framesWritten_ = 0;
    std::chrono::microseconds onWireUntil_{0}; // the last frame written is all out
    uint32_t currentTag_ = 0;
    int32_t currentStep_ = -1;
    uint32_t lastTag_ = 0;
    std::map<uint32_t, FrameDone> listeners_;
    // While settling: bytes still to come of what may be the repeated unit's
    // second answer, and whether the next one is its length byte.
    int settleBytesLeft_ = 0;
    bool settleLengthNext_ = false;
};

} // namespace quadrel
