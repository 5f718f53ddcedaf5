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
#include "fuzz/Digests.h"
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
    // Without digests (the fuzzer's own runs, whose results nobody reads) the
    // views and the trace only keep what the core reads back.
    explicit FuzzRig(bool digesting = true) {
        port.open(1, QStringLiteral("9600,n,8,1"));
        AddUnitRecord(templates_, 1, 8, 8);
        AddUnitRecord(templates_, 2, 255, 255);
        port.digest.on = views.digest.on = trace.digest.on = digesting;
    }
    FuzzRig(const FuzzRig&) = delete;
    FuzzRig& operator=(const FuzzRig&) = delete;

    struct Result {
        uint64_t line = 0;  // trace, frames written, views' calls
        uint64_t state = 0; // model, queue and parser after the run (when asked)
        bool operator==(const Result&) const = default;
    };

    // Drives one input, then resets. `withState` also digests the state left,
    // which costs more than the run.
    Result Run(const uint8_t* data, size_t size, bool withState = false) {
        Result r;
        if (size >= 3) {
            Drive(data, size);
            r.line = LineDigest();
            if (withState) {
                r.state = StateDigest();
            }
        }
        Reset();
        return r;
    }

    // Everything the core keeps between inputs, as a digest.
    uint64_t StateDigest() const;

    VirtualClock clock;
    FuzzPort port;
    DigestTrace trace;
    DigestViews views;
    QuadrelCore core{port, clock, trace, views};

private:
    void Drive(const uint8_t* data, size_t size);
    void Answer(const uint8_t* data, size_t size, size_t& i, size_t k, int times);
    uint64_t LineDigest() {
        Digest d;
        d.Mix(views.digest.value());
        d.Mix(trace.digest.value());
        d.Mix(port.digest.value());
        return d.value();
    }
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
    trace.digest.Reset();
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

// Each value on its own, as a 64-bit number.
template <typename... T> void MixAll(Digest& d, T... values) {
    (d.Mix(static_cast<uint64_t>(static_cast<int64_t>(values))), ...);
}

inline uint64_t FuzzRig::StateDigest() const {
    Digest d;
    const basQRD& m = core.model;
    for (const auto& entry : m.objUnits()) {
        const QRDSTA& u = *entry.unit;
        MixAll(d, u.bID(), u.blConnected(), u.iMemoryCount() + 1000 * u.iInputCount(),
               u.iOutputCount() + 1000 * u.iMaxCommandLB(), u.blExtendedInfoExist());
        d.Mix(reinterpret_cast<const uint8_t*>(u.sName().utf16()),
              static_cast<size_t>(u.sName().size()) * 2);
    }
    MixAll(d, m.objSelectedUnit ? m.objSelectedUnit->bID() + 1 : 0,
           m.blLoadingStatus + 2 * m.blScanning + 4 * m.blLoadingMemory, m.lLastStatusStep,
           m.lLastMemoryStep);
    for (int p = 1; p <= kMaxPort; ++p) {
        for (const AUDIO_OUTPUT_STATUS* a : {&m.AudioOutputs[p], &m.MemoryAudioOutputs[p]}) {
            MixAll(d, a->lPlugStatus, a->lMuteStatus, a->iVolumnLevel, a->iBassLevel,
                   a->iTrebleLevel, a->iSubwooferLevel, a->bDelayLevelLow, a->lDelayTime,
                   a->iInputPort);
        }
        MixAll(d, m.VideoOutputs[p].lPlugStatus * 1000 + m.VideoOutputs[p].iInputPort,
               m.VideoInputs[p].lPlugStatus * 1000 + m.VideoInputs[p].lEdidType,
               m.AudioInputPlugs[p]);
        for (const PortTable<PORT_SELECT>* t :
             {&m.SwitchOutputSelect, &m.AudioOutputSelect, &m.VideoInputSelect}) {
            MixAll(d, (*t)[p].blEnabled + 2 * (*t)[p].blSelected);
        }
        const PortTable<CROSSPOINT>& row = m.Crosspoints[p];
        for (int o = 1; o <= kMaxPort; ++o) {
            const CROSSPOINT& c = row[o];
            if (c.blAudio || c.blVideo) {
                MixAll(d, p * 1000 + o * 4 + c.blAudio + 2 * c.blVideo);
            }
        }
    }
    const TransmitQueue& q = core.link.queue;
    for (const SEND_PACKET& p : q.SendQueue()) {
        d.Mix(p.bFrame.data(), p.bFrame.size());
        MixAll(d, p.lPriority);
    }
    d.Mix(q.CurrentCommand().bFrame.data(), q.CurrentCommand().bFrame.size());
    for (uint8_t id = 0; id < 32; ++id) {
        MixAll(d, q.iRetryCount(id));
    }
    const RECV_PACKET& r = core.link.receiver.packet();
    MixAll(d, q.IsWaitingForAnswer() + 2 * q.IsSettling(), r.iCount + 1000 * r.lState);
    d.Mix(r.bData.data(), r.bData.size());
    MixAll(d, clock.now().count(), clock.hasPending(), port.IsAsBuilt());
    // The shared capability records of the units each input starts with: a
    // handler that changed one in place would carry state into later inputs.
    for (const auto& entry : templates_) {
        const AUDIO_INFO& a = *entry.unit->objAudioINFO();
        const VIDEO_INFO& v = *entry.unit->objVideoINFO();
        const PLUG_INFO& p = *entry.unit->objPlugINFO();
        const FIRMWARE_VERSION& f = *entry.unit->objFirmwareVersion();
        MixAll(d, a.lMaxDelayLevel(), a.iMaxDelayTime(), a.iDelayUnit(), a.blEnabled(),
               a.blSupportVolumnControl(), a.blSupportBassControl(), a.blSupportTrebleControl(),
               a.blSupportSubwooferControl(), a.blSupportDelayControl(), v.blEnabled(),
               v.blSupportEdidTypeSelect(), p.blSupportVideoOutputPlugDetection(),
               p.blSupportVideoInputPlugDetection(), p.blSupportAudioOutputPlugDetection(),
               p.blSupportAudioInputPlugDetection(), f.blEnabled(), f.iMajor(), f.iMinor(),
               f.iReversion());
    }
    MixAll(d, views.memoryLocation.value_or(-1), views.MemoryRowCount());
    for (int v = 0; v < 6; ++v) {
        MixAll(d, views.IsSelectedRedrawRunning(static_cast<AudioValue>(v)));
    }
    return d.value();
}

} // namespace quadrel::test
