#include "link/ReceiveParser.h"

#include "link/CommandCodes.h"
#include "link/basCRC8_Dallas_1_Wire.h"

#include <chrono>

namespace quadrel {

using namespace std::chrono_literals;

ReceiveParser::ReceiveParser(SerialPort& port, TimerFactory& timers, LinkTrace& trace,
                             TransmitQueue& queue)
    : port_(port), trace_(trace), queue_(queue), timRecvNext_(timers.createTimer(200ms)) {
    timRecvNext_->setOnTick([this] {
        const bool wasReceiving = IsReceiving();
        if (wasReceiving) {
            trace_.LogDrop(DropReason::FrameTimeout, packet_.iCount);
        }
        ResetReceiver();
        if (wasReceiving) {
            queue_.FrameEnded();
        }
    });
}

void ReceiveParser::ResetReceiver() {
    packet_.iCount = 0;
    passing_ = Passing::No;
    packet_.lState = 0;
    timRecvNext_->stop();
    Expect(1);
}

void ReceiveParser::Expect(int count) {
    if (count != expecting_) {
        expecting_ = count;
        port_.ExpectBytes(count);
    }
}

void ReceiveParser::Reset() {
    ResetReceiver();
    // The payload's storage is kept (it is emptied): no allocation per reset.
    Bytes data = std::move(packet_.bData);
    data.clear();
    packet_ = RECV_PACKET{};
    packet_.bData = std::move(data);
    frameEnded_ = false;
    lastInfo_.clear();
    taken_.clear();
    takenFor_ = SEND_PACKET{};
    takenAt_ = 0;
}

void ReceiveParser::ProcessReceivedData() {
    const Bytes bytes = port_.readAll();
    if (!bytes.empty()) {
        ProcessBytes(bytes);
    }
}

void ReceiveParser::ProcessBytes(const Bytes& bytes) {
    trace_.LogRecv(bytes);
    queue_.LineActive(bytes);
    timRecvNext_->stop();
    const uint64_t written = queue_.framesWritten();
    for (size_t i = 0; i < bytes.size(); ++i) {
        // A frame taken here may have had the next request written: the rest
        // of these bytes came before it, and cannot be its answer; they are
        // passed over as a frame begun early while the request goes out.
        if (queue_.framesWritten() != written && !queue_.RequestOnWire()) {
            trace_.LogDrop(DropReason::Early, static_cast<int>(bytes.size() - i) + packet_.iCount);
            ResetReceiver();
            break;
        }
        TakeByte(bytes[i]);
        if (frameEnded_) {
            frameEnded_ = false;
            queue_.FrameEnded();
        }
    }
    if (IsReceiving()) {
        timRecvNext_->start();
        // Once the length is known, the rest of the frame is one wait.
        Expect(packet_.lState >= 2 ? packet_.iFrameLength - packet_.iCount : 1);
    }
}

void ReceiveParser::EndFrame() {
    ResetReceiver();
    frameEnded_ = true;
}

void ReceiveParser::TakeByte(uint8_t b) {
    if (packet_.iCount >= RECV_PACKET::kBufferSize) {
        // Only a frame that never completes can get here: drop it and start
        // afresh with the next byte.
        trace_.LogDrop(DropReason::BufferFull, packet_.iCount + 1);
        EndFrame();
        return;
    }
    if (packet_.iCount == 0) {
        passing_ =
            queue_.RequestOnWire() ? Passing::Early
            : !queue_.IsWaitingForAnswer() && !taken_.empty() && takenAt_ == queue_.framesWritten()
                ? Passing::Late
                : Passing::No;
    }
    packet_.bBuffer[static_cast<size_t>(packet_.iCount++)] = b;
    switch (packet_.lState) {
    case 0:
        FirstByte(b);
        break;
    case 1:
        LengthByte(b);
        break;
    case 2:
        if (packet_.iCount == packet_.iFrameLength - 1) {
            packet_.lState = 3;
        }
        break;
    default:
        CrcByte(b);
        break;
    }
}

const SEND_PACKET& ReceiveParser::Answering() const {
    const bool previous = passing_ == Passing::Late ||
                          (passing_ == Passing::Early && takenAt_ + 1 == queue_.framesWritten());
    return previous ? takenFor_ : queue_.CurrentCommand();
}

void ReceiveParser::FirstByte(uint8_t b) {
    if (!queue_.IsWaitingForAnswer() && passing_ != Passing::Late) {
        trace_.LogDrop(DropReason::NoRequest, 1);
        ResetReceiver();
        return;
    }
    // A frame passed over is followed in the form of the request it answers,
    // so that the awaited answer after it is read from its first byte.
    const SEND_PACKET& current = Answering();
    packet_.bID = static_cast<uint8_t>(b & 0x1F);
    if (packet_.bID != current.bID) {
        trace_.LogDrop(passing_ == Passing::Late ? DropReason::NoRequest : DropReason::WrongUnit,
                       1);
        ResetReceiver();
        return;
    }
    const uint8_t code = current.bCommand;
    if ((b & 0x80) == 0) {
        packet_.iFrameLength = 2;
        packet_.lState = 3;
    } else if (IsSetCommand(code)) {
        packet_.iDataLength = 0;
        packet_.iFrameLength = 2;
        packet_.lState = 3;
    } else if (IsPairedQuery(code) || code == kCmdGetFirmwareVersion || code == kCmdGetUnitInfo) {
        packet_.lState = 1;
    } else {
        trace_.LogDrop(DropReason::NoRequest, 1);
        ResetReceiver();
    }
}

void ReceiveParser::LengthByte(uint8_t b) {
    const SEND_PACKET& current = Answering();
    packet_.iDataLength = b;
    packet_.iFrameLength = b + 3;
    const uint8_t code = current.bCommand;
    bool accepted = false;
    if (IsPairedQuery(code)) {
        accepted = b % 2 == 0;
    } else if (code == kCmdGetFirmwareVersion) {
        accepted = b == 2;
    } else if (code == kCmdGetUnitInfo) {
        // Information of at least three bytes, the extended block of at least
        // four; later units may add to either.
        const uint8_t page = current.data(0);
        accepted = (page == 0 && b >= 3) || (page == 1 && b >= 4);
    }
    if (!accepted) {
        // The unit asked answered in another request's form: most likely
        // the answer to an earlier request, held up by one sent twice.
        if (passing_ == Passing::No) {
            ++outOfStep_;
        }
        trace_.LogDrop(DropReason::BadLength, packet_.iCount);
        EndFrame();
        return;
    }
    // An empty reply (L = 0) has its CRC next.
    packet_.lState = packet_.iCount == packet_.iFrameLength - 1 ? 3 : 2;
}

void ReceiveParser::CrcByte(uint8_t b) {
    const Passing passing = passing_;
    ResetReceiver();
    frameEnded_ = true;
    const auto crc =
        basCRC8_Dallas_1_Wire::CalculateCrc8(packet_.bBuffer, packet_.iFrameLength - 1);
    if (passing != Passing::No) {
        PassOver(passing == Passing::Late, crc == b && (packet_.bBuffer[0] & 0x80) != 0);
        return;
    }
    if (crc != b || (packet_.bBuffer[0] & 0x80) == 0) {
        trace_.LogDrop(crc != b ? DropReason::BadChecksum : DropReason::Refused,
                       packet_.iFrameLength);
        return;
    }
    if (packet_.iFrameLength > 2) {
        packet_.bData.assign(packet_.bBuffer.begin() + 2,
                             packet_.bBuffer.begin() + 2 + packet_.iDataLength);
    }
    // A unit's information sent twice is not its extended block: the answer
    // already taken, refused, so the request is repeated.
    const SEND_PACKET& current = queue_.CurrentCommand();
    const Bytes frame(packet_.bBuffer.begin(), packet_.bBuffer.begin() + packet_.iFrameLength);
    if (current.bCommand == kCmdGetUnitInfo && current.data(0) == 1 && frame == lastInfo_) {
        trace_.LogDrop(DropReason::Duplicate, packet_.iFrameLength);
        return;
    }
    if (current.bCommand == kCmdGetUnitInfo && current.data(0) == 0) {
        lastInfo_ = frame;
    }
    taken_ = frame;
    takenFor_ = current;
    takenAt_ = queue_.framesWritten();
    trace_.LogAnswer(
        queue_.CurrentCommand(),
        Bytes(packet_.bBuffer.begin(), packet_.bBuffer.begin() + packet_.iFrameLength));
    // What a handler asks next (the extended information after the basic,
    // say) belongs to the same job as the request it answers.
    const uint32_t tagBefore = queue_.currentTag();
    queue_.setCurrentTag(queue_.CurrentCommand().lTag, queue_.CurrentCommand().lStep);
    Dispatch();
    queue_.setCurrentTag(tagBefore);
}

void ReceiveParser::PassOver(bool late, bool whole) {
    trace_.LogDrop(late ? DropReason::NoRequest : DropReason::Early, packet_.iFrameLength);
    if (!whole || takenAt_ + (late ? 0 : 1) != queue_.framesWritten()) {
        return;
    }
    const Bytes frame(packet_.bBuffer.begin(), packet_.bBuffer.begin() + packet_.iFrameLength);
    // The same answer again is only sent twice. A different one proves that
    // the answer taken for the request answered last was not its own: an
    // answer sent twice held up this one, and answers after it may be one
    // place off. That request is asked again, and a read that saw this is not
    // to be trusted. A setting's acknowledgement carries no value.
    if (frame != taken_) {
        ++outOfStep_;
        if (!IsSetCommand(takenFor_.bCommand)) {
            queue_.AskAgain(takenFor_);
        }
    }
}

void ReceiveParser::Dispatch() {
    const SEND_PACKET& current = queue_.CurrentCommand();
    const uint8_t code = current.bCommand;
    if (IsSetCommand(code)) {
        queue_.AcknowledgeCommand();
        return;
    }
    if (replies_ == nullptr) {
        return;
    }
    switch (code) {
    case kCmdGetVideoSwitch:
        return replies_->ReplySwitchStatus(SignalKind::Video);
    case kCmdGetAudioSwitch:
        return replies_->ReplySwitchStatus(SignalKind::Audio);
    case kCmdGetVideoInputPlug:
        return replies_->ReplyInputPlugStatus(SignalKind::Video);
    case kCmdGetAudioInputPlug:
        return replies_->ReplyInputPlugStatus(SignalKind::Audio);
    case kCmdGetVideoOutputPlug:
        return replies_->ReplyOutputPlugStatus(SignalKind::Video);
    case kCmdGetAudioOutputPlug:
        return replies_->ReplyOutputPlugStatus(SignalKind::Audio);
    case kCmdGetMute:
        return replies_->ReplyMuteStatus();
    case kCmdGetVolumnLevel:
        return replies_->ReplyVolumnLevel();
    case kCmdGetBassLevel:
        return replies_->ReplyBassLevel();
    case kCmdGetTrebleLevel:
        return replies_->ReplyTrebleLevel();
    case kCmdGetSubwooferLevel:
        return replies_->ReplySubwooferLevel();
    case kCmdGetDelayLow:
        return replies_->ReplyDelayTime(DelayPart::Low);
    case kCmdGetDelayHigh:
        return replies_->ReplyDelayTime(DelayPart::High);
    case kCmdGetEdidType:
        return replies_->ReplyEdidType();
    case kCmdGetFirmwareVersion:
        return replies_->ReplyFirmwareVersion();
    case kCmdGetUnitInfo:
        if (current.data(0) == 0) {
            return replies_->ReplyUnitInfo();
        }
        if (current.data(0) == 1) {
            return replies_->ReplyExtendedInfo();
        }
        return;
    default:
        return;
    }
}

} // namespace quadrel
