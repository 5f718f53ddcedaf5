#include "link/TransmitQueue.h"

#include "link/CommandCodes.h"
#include "link/ReplySink.h"
#include "model/Views.h"
#include "model/basQRD.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace quadrel {

using namespace std::chrono_literals;

TransmitQueue::TransmitQueue(SerialPort& port, TimerFactory& timers, LinkTrace& trace,
                             basQRD& model)
    : port_(port), timers_(timers), trace_(trace), model_(model),
      timSendQueue_(timers.createTimer(100ms)), timWaitACK_(timers.createTimer(300ms)),
      timSettle_(timers.createTimer(kSettleTime)), timSettleLimit_(timers.createTimer(kSettleTime)),
      timRepeatAnswer_(timers.createTimer(kSettleTime)) {
    timSendQueue_->setOnTick([this] { OnSendQueueTick(); });
    timWaitACK_->setOnTick([this] { OnWaitAckTick(); });
    timSettle_->setOnTick([this] { OnQuietTick(); });
    timSettleLimit_->setOnTick([this] { EndSettling(); });
    timRepeatAnswer_->setOnTick([this] { OnRepeatAnswerTick(); });
}

void TransmitQueue::attach(BusyFlags& busy, Views& views,
                           std::function<void(uint8_t)> requestUnitInfo) {
    busy_ = &busy;
    views_ = &views;
    requestUnitInfo_ = std::move(requestUnitInfo);
}

void TransmitQueue::WriteFrame(const SEND_PACKET& packet) {
    trace_.LogRequest(packet);
    trace_.LogSend(packet.bFrame);
    CurrentCommand_ = packet;
    repeatHeld_ = false;
    repeated_ = false;
    heard_ = false;
    awaitedBeforeScan_ = false;
    WriteBytes(packet.bFrame);
    // Address bit 7 clear: an answer is awaited.
    if (!packet.bFrame.empty() && (packet.bFrame[0] & 0x80) == 0) {
        currentOpen_ = true;
        StartWaitAck();
    } else {
        Tell(packet, FrameEnd::Answered);
    }
}

void TransmitQueue::WriteBytes(const Bytes& frame) {
    ++framesWritten_;
    // Ten bits a byte: the earliest the last one can be out, however the
    // port buffers them.
    onWireUntil_ = timers_.now() + std::chrono::microseconds(static_cast<long long>(frame.size()) *
                                                             10 * 1'000'000 / Baud());
    port_.write(frame);
}

void TransmitQueue::AskAgain(const SEND_PACKET& packet) {
    if (!port_.isOpen()) {
        return;
    }
    Tell(packet, FrameEnd::Queued);
    SendQueue_.push_front(packet);
    timSendQueue_->setEnabled(true);
    if (!holdWrites_) {
        SendNextCommand(); // goes out now when nothing is awaited
    }
}

uint32_t TransmitQueue::NewTag() {
    return ++lastTag_;
}

uint32_t TransmitQueue::NewTag(FrameDone listener) {
    const uint32_t tag = NewTag();
    listeners_[tag] = std::move(listener);
    return tag;
}

void TransmitQueue::DropTag(uint32_t tag) {
    listeners_.erase(tag);
    if (currentTag_ == tag) {
        setCurrentTag(0);
    }
}

bool TransmitQueue::HasWaiting(uint32_t tag, bool settingsOnly) const {
    return tag != 0 && std::any_of(SendQueue_.begin(), SendQueue_.end(), [=](const SEND_PACKET& p) {
               return p.lTag == tag && (!settingsOnly || p.lStep != kFollowUpStep);
           });
}

bool TransmitQueue::HasPending(uint32_t tag) const {
    return HasWaiting(tag) || (tag != 0 && currentOpen_ && CurrentCommand_.lTag == tag);
}

void TransmitQueue::PurgeCommandsByTag(uint32_t tag, std::optional<int32_t> step) {
    PurgeIf([=](const SEND_PACKET& p) { return p.lTag == tag && (!step || p.lStep == *step); });
}

void TransmitQueue::Tell(const SEND_PACKET& packet, FrameEnd end) {
    if (packet.lTag == 0) {
        return;
    }
    const auto it = listeners_.find(packet.lTag);
    if (it == listeners_.end()) {
        return;
    }
    // The listener may end its job and drop its tag meanwhile.
    const FrameDone listener = it->second;
    listener(packet, end);
}

void TransmitQueue::EndCurrent(FrameEnd end) {
    if (!std::exchange(currentOpen_, false)) {
        return;
    }
    Tell(CurrentCommand_, end);
}

void TransmitQueue::StartWaitAck() {
    timWaitACK_->setInterval(300ms);
    timWaitACK_->start();
}

bool TransmitQueue::QueueCommand(const SEND_PACKET& given) {
    SEND_PACKET packet = given;
    if (packet.lTag == 0) {
        packet.lTag = currentTag_;
        packet.lStep = currentStep_;
    }
    Tell(packet, FrameEnd::Queued);
    if (!port_.isOpen()) {
        Tell(packet, FrameEnd::Withdrawn);
        return false;
    }
    if (IsWaitingForAnswer() || IsSettling() || holdWrites_) {
        InsertCommand(packet);
        return false;
    }
    WriteFrame(packet);
    return true;
}

void TransmitQueue::InsertCommand(const SEND_PACKET& packet) {
    if (!port_.isOpen()) {
        Tell(packet, FrameEnd::Withdrawn);
        return;
    }
    size_t index = SendQueue_.size();
    const UnitRef& selected = model_.objSelectedUnit;
    if (selected && packet.bID == selected->bID()) {
        // Behind the last waiting frame of the selected unit that is at least
        // as urgent, ahead of everything after it; else at the head.
        index = 0;
        for (size_t i = SendQueue_.size(); i-- > 0;) {
            const SEND_PACKET& waiting = SendQueue_[i];
            if (waiting.bID == packet.bID && waiting.lPriority <= packet.lPriority) {
                index = i + 1;
                break;
            }
        }
    }
    SendQueue_.insert(SendQueue_.begin() + static_cast<std::ptrdiff_t>(index), packet);
    timSendQueue_->setEnabled(true);
}

bool TransmitQueue::SendNextCommand() {
    if (!port_.isOpen()) {
        ClearQueue();
        return false;
    }
    if (SendQueue_.empty()) {
        timSendQueue_->stop();
        return false;
    }
    if (IsWaitingForAnswer() || IsSettling()) {
        return false;
    }
    timSendQueue_->stop();
    const SEND_PACKET next = SendQueue_.front();
    RemoveCommand(0);
    WriteFrame(next);
    if (!SendQueue_.empty()) {
        timSendQueue_->setEnabled(true);
    }
    return true;
}

void TransmitQueue::RemoveCommand(int index) {
    if (index < 0 || static_cast<size_t>(index) >= SendQueue_.size()) {
        return;
    }
    SendQueue_.erase(SendQueue_.begin() + index);
}

template <typename Match> void TransmitQueue::PurgeIf(Match match) {
    std::vector<SEND_PACKET> withdrawn;
    for (size_t i = 0; i < SendQueue_.size();) {
        if (match(SendQueue_[i])) {
            withdrawn.push_back(std::move(SendQueue_[i]));
            SendQueue_.erase(SendQueue_.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    // Told once the queue is whole again: a listener may queue more.
    for (const SEND_PACKET& p : withdrawn) {
        Tell(p, FrameEnd::Withdrawn);
    }
}

void TransmitQueue::PurgeCommandsByID(uint8_t id) {
    PurgeIf([id](const SEND_PACKET& p) { return p.bID == id; });
}

void TransmitQueue::PurgeCommandsByCode(uint8_t code) {
    PurgeIf([code](const SEND_PACKET& p) { return p.bCommand == code; });
}

void TransmitQueue::PurgeCommandsByData0(uint8_t code, uint8_t data0) {
    PurgeIf([=](const SEND_PACKET& p) { return p.bCommand == code && p.data(0) == data0; });
}

void TransmitQueue::PurgeCommandsByData1(uint8_t code, uint8_t data1) {
    PurgeIf([=](const SEND_PACKET& p) { return p.bCommand == code && p.data(1) == data1; });
}

void TransmitQueue::PurgeCommandsByData(uint8_t code, uint8_t data1, uint8_t data0) {
    PurgeIf([=](const SEND_PACKET& p) {
        return p.bCommand == code && p.data(1) == data1 && p.data(0) == data0;
    });
}

void TransmitQueue::ClearQueue() {
    timSendQueue_->stop();
    PurgeIf([](const SEND_PACKET&) { return true; });
}

void TransmitQueue::Reset() {
    timSendQueue_->stop();
    timWaitACK_->stop();
    timSettle_->stop();
    timSettleLimit_->stop();
    timRepeatAnswer_->stop();
    std::deque<SEND_PACKET> withdrawn = std::exchange(SendQueue_, {});
    if (std::exchange(currentOpen_, false)) {
        withdrawn.push_front(CurrentCommand_);
    }
    CurrentCommand_ = SEND_PACKET{};
    ResetRetries();
    settling_ = false;
    repeatHeld_ = false;
    repeated_ = false;
    heard_ = false;
    awaitedBeforeScan_ = false;
    settleBytesLeft_ = 0;
    settleLengthNext_ = false;
    for (const SEND_PACKET& p : withdrawn) {
        Tell(p, FrameEnd::Withdrawn);
    }
}

void TransmitQueue::OnSendQueueTick() {
    timSendQueue_->stop();
    SendNextCommand();
    if (!SendQueue_.empty()) {
        timSendQueue_->setEnabled(true);
    }
}

bool TransmitQueue::AcknowledgeCommand() {
    timWaitACK_->stop();
    repeatHeld_ = false;
    iRetryCount_[CurrentCommand_.bID & 0x1F] = 0;
    // This may be the answer to the first try, and the repeat's answer still
    // to come: were the next frame out, that answer would be taken for its
    // own. Nothing is awaited meanwhile, so it falls on deaf ears. The wait
    // starts before anything else can queue a frame, such as the information
    // request of a unit that answers again. So too for the answer to a
    // request made before a scan started: the scan asks the units last seen
    // first, quite likely this one, and a late or doubled answer of it must
    // not be taken for its information.
    const bool settle = std::exchange(repeated_, false) || awaitedBeforeScan_;
    if (settle) {
        StartSettling();
    }
    SetUnitAnswering(CurrentCommand_.bID, true);
    {
        // What the listener queues waits its turn behind what already waits.
        const bool held = std::exchange(holdWrites_, true);
        EndCurrent(FrameEnd::Answered);
        holdWrites_ = held;
    }
    return settle ? false : SendNextCommand();
}

long long TransmitQueue::Baud() const {
    const QString settings = port_.settings();
    bool ok = false;
    const long long baud =
        QStringView(settings).left(settings.indexOf(QLatin1Char(','))).toLongLong(&ok);
    return ok && baud > 0 ? baud : 9600;
}

std::chrono::milliseconds TransmitQueue::SettleLimit() const {
    constexpr long long kLongestAnswer = 258; // address, length, 255 data bytes, CRC
    const long long baud = Baud();
    const long long wireMs = (kLongestAnswer * 10 * 1000 + baud - 1) / baud;
    return 300ms + std::chrono::milliseconds(wireMs);
}

void TransmitQueue::StartSettling() {
    settling_ = true;
    settleBytesLeft_ = 0;
    settleLengthNext_ = false;
    timSettle_->start();
    timSettleLimit_->setInterval(SettleLimit());
    timSettleLimit_->start();
}

void TransmitQueue::LineActive(const Bytes& bytes) {
    heard_ = heard_ || !bytes.empty();
    if (!IsSettling()) {
        return;
    }
    // Only the repeated unit's answer matters: its address byte, then the
    // bytes its form or its length byte announces.
    const uint8_t start = static_cast<uint8_t>(0x80 | (CurrentCommand_.bID & 0x1F));
    bool answerBytes = false;
    for (const uint8_t b : bytes) {
        if (settleLengthNext_) {
            settleLengthNext_ = false;
            settleBytesLeft_ = b + 1; // data bytes and the CRC
        } else if (settleBytesLeft_ > 0) {
            --settleBytesLeft_;
        } else if (b == start) {
            settleLengthNext_ = !IsSetCommand(CurrentCommand_.bCommand);
            settleBytesLeft_ = settleLengthNext_ ? 0 : 1;
        } else {
            continue;
        }
        answerBytes = true;
    }
    if (answerBytes) {
        timSettle_->start();
    }
}

void TransmitQueue::OnQuietTick() {
    timSettle_->stop();
    if (!timRepeatAnswer_->isActive()) {
        EndSettling();
    }
}

void TransmitQueue::OnRepeatAnswerTick() {
    timRepeatAnswer_->stop();
    if (settling_ && !timSettle_->isActive()) {
        EndSettling();
    }
}

void TransmitQueue::EndSettling() {
    settling_ = false;
    timSettle_->stop();
    timSettleLimit_->stop();
    SendNextCommand();
}

void TransmitQueue::OnWaitAckTick() {
    // A repeat written while the unit is still sending its answer would be
    // answered a second time, and that answer taken for the next request.
    if (receivingFrom_ && receivingFrom_(CurrentCommand_.bID)) {
        repeatHeld_ = true;
        return;
    }
    AnswerTimedOut();
}

void TransmitQueue::FrameEnded() {
    if (repeatHeld_ && IsWaitingForAnswer()) {
        AnswerTimedOut();
    }
}

void TransmitQueue::AnswerTimedOut() {
    timWaitACK_->stop();
    repeatHeld_ = false;
    const uint8_t id = CurrentCommand_.bID & 0x1F;
    if (!port_.isOpen()) {
        // Nothing can answer a frame on a closed port.
        EndCurrent(FrameEnd::Withdrawn);
        return;
    }
    if (++iRetryCount_[id] < kMaxTries) {
        if (port_.isOpen()) {
            // Repeats are not traced: the trace shows each request once.
            WriteBytes(CurrentCommand_.bFrame);
            trace_.LogRepeat(CurrentCommand_, iRetryCount_[id] + 1);
            repeated_ = true;
            timRepeatAnswer_->setInterval(SettleLimit());
            timRepeatAnswer_->start();
            StartWaitAck();
        }
        return;
    }
    iRetryCount_[id] = 0;
    trace_.LogGiveUp(CurrentCommand_);
    // Whatever a listener queues now waits: the unit is about to be given up
    // and its frames withdrawn.
    const bool held = std::exchange(holdWrites_, true);
    EndCurrent(FrameEnd::GivenUp);
    SetUnitAnswering(id, false);
    holdWrites_ = held;
    if (!heard_) {
        // Not a byte came in through all its tries: no answer can be on its
        // way, so the next frame need not wait for the queue's tick (up to
        // 100 ms for every empty ID of a scan).
        SendNextCommand();
    } else if (!SendQueue_.empty() && !timSendQueue_->isActive()) {
        timSendQueue_->setEnabled(true);
    }
}

void TransmitQueue::SetUnitAnswering(uint8_t id, bool answering) {
    if (!answering) {
        // A give-up of a request sent before the running scan says nothing of
        // that scan's probes: it neither withdraws the unit's probe nor, for
        // the last ID asked, ends the scan, or the scan would miss that unit
        // or never end.
        const bool scanning = busy_ != nullptr && busy_->blScanning();
        const bool lastProbe = scanning && !awaitedBeforeScan_ && id == busy_->LastProbeId();
        if (!scanning || !awaitedBeforeScan_) {
            PurgeCommandsByID(id);
        }
        const UnitRef& selected = model_.objSelectedUnit;
        if (busy_ != nullptr && (!selected || selected->bID() == id)) {
            busy_->SetLoadingStatus(false);
            busy_->SetLoadingMemory(false);
        }
        if (lastProbe) {
            busy_->SetScanning(false);
        }
    }
    const UnitRef unit = model_.FindUnit(id);
    if (!unit) {
        // A scan's probe of it still waits (the answer was to a request made
        // before the scan): asked twice, the second request would stand
        // behind every probe, and with it the read of the unit once selected.
        const bool probeWaiting =
            std::any_of(SendQueue_.begin(), SendQueue_.end(), [id](const SEND_PACKET& p) {
                return p.bID == id && p.bCommand == kCmdGetUnitInfo && p.data(0) == 0;
            });
        if (answering && requestUnitInfo_ && !probeWaiting) {
            requestUnitInfo_(id);
        }
        return;
    }
    if (unit->blConnected() == answering) {
        return;
    }
    unit->setblConnected(answering);
    if (answering) {
        if (onUnitAnswersAgain_) {
            onUnitAnswersAgain_(id);
        }
        if (requestUnitInfo_) {
            requestUnitInfo_(id);
        }
        return;
    }
    if (unit == model_.objSelectedUnit && views_ != nullptr) {
        // Its last known state stays on the pages, which no longer act on
        // it: shown, not current, until it answers and is read again.
        views_->ResetSelectionAnchors();
        views_->Enable_QRD(false);
        views_->Enable_lstQRD(true);
    }
    if (views_ != nullptr) {
        views_->SetUnitIcon(id, false);
    }
    if (onUnitGivenUp_) {
        onUnitGivenUp_(id);
    }
}

} // namespace quadrel
