#pragma once

// One core for a whole fuzzing run: built once, driven by an input, then
// reset to exactly its state as built, so an input found in a long run gives
// the same result in a fresh process.
//
// Input: byte 0 picks the selected unit (bit 5 set: none) and, low two bits,
// the unit asked; with bit 6 the input ends mid-exchange, else the exchange
// runs out after its last piece (Tail()); byte 1 the awaited request's code
// (low six bits) and priority (high two); byte 2 its data bytes (low two
// bits: data byte 0, high four: data byte 1, the memory location) and, with
// bit 2, a memory location chosen in the preset list (the same one with bit
// 3, else another). Then pieces: a length byte (low 6 bits; bit 7 also lets
// 250 ms of virtual time pass, bit 6 queues a fresh request) followed by that
// many bytes for the line. A length byte of 0 is followed instead by an
// action byte whose low two bits choose, and whose high six bits (k) tune it:
//   0  a well-formed answer to the awaited request, k payload bytes taken from
//      the input (a setting's answer has none);
//   1  k * 25 ms of virtual time pass (answers late, quiet waits);
//   2  the last well-formed answer again (a repeat's second answer);
//   3  a well-formed answer twice in one piece, k payload bytes.
#include "fuzz/FuzzFakes.h"
#include "link/CommandCodes.h"
#include "link/VirtualClock.h"
#include "link/basCRC8_Dallas_1_Wire.h"
#include "model/QuadrelCore.h"
#include "support/CoreHarness.h"

#include <chrono>
#include <cstdlib>

namespace quadrel::test {

class FuzzRig {
public:
    FuzzRig() {
        port.clock = &clock;
        port.open(1, QStringLiteral("9600,n,8,1"));
        AddUnitRecord(templates_, 1, 8, 8);
        AddUnitRecord(templates_, 2, 255, 255);
    }
    FuzzRig(const FuzzRig&) = delete;
    FuzzRig& operator=(const FuzzRig&) = delete;

    // Drives one input, then resets.
    void Run(const uint8_t* data, size_t size) {
        if (size >= 3) {
            Drive(data, size);
        }
        Reset();
    }

    VirtualClock clock;
    FuzzPort port;
    FuzzTrace trace;
    FuzzViews views;
    QuadrelCore core{port, clock, trace, views};

private:
    void Drive(const uint8_t* data, size_t size);
    void Answer(const uint8_t* data, size_t size, size_t& i, size_t k, int times);
    void Tail();
    void Reset();

    // The units every input starts with. Each input gets records of its own,
    // made from these; texts and capability records are shared, as replies
    // bring new capability records rather than change them (the firmware
    // record is filled in place, so that one is copied).
    QRD_INFO templates_;
    // Kept between inputs for their capacity only: no allocation per answer.
    Bytes answer_;
    Bytes line_;
    Bytes lastAnswer_;
};

inline void FuzzRig::Reset() {
    core.link.queue.Reset();
    core.link.receiver.Reset();
    core.status.timRequestStatus().stop();
    core.model.Reset();
    core.activity.Reset();
    core.history.Clear();
    core.recovery.Clear();
    // A timer left running means the reset missed some state: stop here, so
    // the run that left it is the finding.
    if (!clock.Rewind()) {
        std::abort();
    }
    core.status.timRequestStatus().start(); // as the core starts it when built
    port.Reset();
    views.Reset();
    lastAnswer_.clear();
}

inline void FuzzRig::Answer(const uint8_t* data, size_t size, size_t& i, size_t k, int times) {
    const SEND_PACKET& current = core.link.queue.CurrentCommand();
    Bytes& frame = answer_;
    frame.assign(1, static_cast<uint8_t>(0x80 | current.bID));
    if (!IsSetCommand(current.bCommand)) {
        frame.push_back(static_cast<uint8_t>(k));
        for (size_t n = 0; n < k; ++n) {
            frame.push_back(i < size ? data[i++] : 0);
        }
    }
    frame.push_back(basCRC8_Dallas_1_Wire::CalculateCrc8(frame, static_cast<int>(frame.size())));
    lastAnswer_ = frame;
    line_.clear();
    for (int t = 0; t < times; ++t) {
        line_.insert(line_.end(), frame.begin(), frame.end());
    }
    port.deliver(line_);
}

inline void FuzzRig::Drive(const uint8_t* data, size_t size) {
    using namespace std::chrono_literals;
    for (const auto& entry : templates_) {
        const QRDSTA& t = *entry.unit;
        core.model.objUnits().Add(
            t.bID(), t.sName(), t.blConnected(), t.iMemoryCount(), t.iInputCount(),
            t.iOutputCount(), t.iMaxCommandLB(), t.blExtendedInfoExist(), t.objAudioINFO(),
            t.objVideoINFO(), t.objPlugINFO(),
            std::make_shared<FIRMWARE_VERSION>(*t.objFirmwareVersion()), entry.key);
    }
    if ((data[0] & 0x20) == 0) {
        core.model.objSelectedUnit = core.model.FindUnit(data[0] & 0x1F);
    }
    const uint8_t code = static_cast<uint8_t>(data[1] & 0x3F);
    const uint8_t id = static_cast<uint8_t>(data[0] & 0x03);
    const uint8_t d0 = static_cast<uint8_t>(data[2] & 0x03);
    const uint8_t d1 = static_cast<uint8_t>(data[2] >> 4);
    if ((data[2] & 0x04) != 0) {
        views.memoryLocation = (data[2] & 0x08) != 0 ? d1 : static_cast<uint8_t>(d1 + 1);
    }
    core.link.builder.SendCommand(id, code, static_cast<int32_t>(data[1] >> 6), {d0, d1});
    size_t i = 3;
    while (i < size) {
        const uint8_t head = data[i++];
        if (head == 0) {
            const uint8_t action = i < size ? data[i++] : 0;
            const size_t k = action >> 2;
            switch (action & 0x03) {
            case 0:
                Answer(data, size, i, k, 1);
                break;
            case 1:
                clock.advance(std::chrono::milliseconds(25 * k));
                break;
            case 2:
                port.deliver(lastAnswer_);
                break;
            default:
                Answer(data, size, i, k, 2);
                break;
            }
            continue;
        }
        const size_t n = std::min<size_t>(head & 0x3F, size - i);
        if ((head & 0x40) != 0) {
            core.link.builder.SendCommand(id, static_cast<uint8_t>(head & 0x3F), 2,
                                          {uint8_t{0}, uint8_t{0}});
        }
        port.deliver(data + i, n);
        i += n;
        if ((head & 0x80) != 0) {
            clock.advance(250ms);
        }
    }
    if ((data[0] & 0x40) == 0) {
        Tail();
    }
}

// After the last piece the line falls silent: repeats, quiet waits, a frame
// cut short and queued frames run out until the link is idle (the poll after
// that an input reaches with time of its own), at the latest after one
// request's three tries, the longest quiet wait and a byte time-out.
inline void FuzzRig::Tail() {
    TransmitQueue& q = core.link.queue;
    const ReceiveParser& r = core.link.receiver;
    const auto longest = TransmitQueue::kMaxTries * q.timWaitACK().interval() + q.SettleLimit() +
                         core.link.receiver.timRecvNext().interval();
    clock.advanceUntil(
        [&q, &r] {
            return !q.IsWaitingForAnswer() && !q.IsSettling() && q.iSendQueueCount() == 0 &&
                   !r.IsReceiving();
        },
        longest);
}

} // namespace quadrel::test
