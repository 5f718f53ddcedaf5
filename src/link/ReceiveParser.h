#pragma once

#include "link/Bytes.h"
#include "link/LinkTrace.h"
#include "link/ReplySink.h"
#include "link/SerialPort.h"
#include "link/Timer.h"
#include "link/TransmitQueue.h"

#include <array>
#include <cstdint>
#include <memory>

namespace quadrel {

// The frame being received, and the payload of the last reply taken.
struct RECV_PACKET {
    static constexpr int kBufferSize = 512;
    std::array<uint8_t, kBufferSize> bBuffer{};
    int iCount = 0;
    int iFrameLength = 0;
    int32_t lState = 0;
    uint8_t bID = 0;
    Bytes bData;
    int iDataLength = 0;
};

// Collects answers byte by byte. What an answer looks like is known only from
// the request that waits for it; anything else on the line is dropped.
class ReceiveParser {
public:
    ReceiveParser(SerialPort& port, TimerFactory& timers, LinkTrace& trace, TransmitQueue& queue);

    void setReplySink(ReplySink& sink) { replies_ = &sink; }

    // Run on every receive event of the port.
    void ProcessReceivedData();
    // Feeds bytes as if read from the port (the fuzzer and benchmarks).
    void ProcessBytes(const Bytes& bytes);
    void ResetReceiver();
    // Back to as built, the last reply's payload dropped too.
    void Reset();
    bool IsReceiving() const { return packet_.iCount != 0; }
    bool IsReceivingFrom(uint8_t id) const { return IsReceiving() && packet_.bID == id; }
    // How often a unit's answer proved that one taken before was not the
    // answer to its request: a read that saw this happen holds doubtful
    // values, and is done again.
    uint64_t OutOfStepCount() const { return outOfStep_; }

    const RECV_PACKET& packet() const { return packet_; }
    Timer& timRecvNext() { return *timRecvNext_; }

private:
    void TakeByte(uint8_t b);
    void FirstByte(uint8_t b);
    void LengthByte(uint8_t b);
    void CrcByte(uint8_t b);
    void Dispatch();
    void EndFrame();
    void Expect(int count);
    // The request the frame being received answers: the one before the
    // awaited one when the frame began while the awaited one went out.
    const SEND_PACKET& Answering() const;
    // A frame that answers no awaited request, at its end: `late` when it
    // came with nothing awaited, `whole` when its checksum held.
    void PassOver(bool late, bool whole);

    SerialPort& port_;
    LinkTrace& trace_;
    TransmitQueue& queue_;
    ReplySink* replies_ = nullptr;
    RECV_PACKET packet_;
    Bytes lastInfo_; // the last unit information taken, whole
    std::unique_ptr<Timer> timRecvNext_;
    bool frameEnded_ = false;
    // A frame that began while the awaited request went out, or when nothing
    // was awaited after an answer, is followed in the form of the request
    // answered last and passed over.
    enum class Passing { No, Early, Late };
    Passing passing_ = Passing::No;
    uint64_t outOfStep_ = 0;
    // The last answer taken, the request it was taken for, and the count of
    // frames written when it was taken: an answer of that request coming
    // later, and different, says the one taken was not its own.
    Bytes taken_;
    SEND_PACKET takenFor_;
    uint64_t takenAt_ = 0;
    int expecting_ = 1; // the count last told to the port
};

} // namespace quadrel
