#include "sim/RequestParser.h"

#include "link/basCRC8_Dallas_1_Wire.h"

#include <utility>

namespace quadrel::sim {
namespace {

// Address byte of a request: bit 5 set, bit 6 clear.
bool CanStartFrame(uint8_t byte) {
    return (byte & 0x60) == 0x20;
}

} // namespace

void RequestParser::feed(const Bytes& bytes, Scheduler::TimePoint at) {
    for (uint8_t b : bytes) {
        feed(b, at);
    }
}

void RequestParser::feed(uint8_t byte, Scheduler::TimePoint at) {
    if (!buffer_.empty() && at - lastByte_ > kGap) {
        junk(std::exchange(buffer_, {}));
    }
    lastByte_ = at;
    push(byte);
}

size_t RequestParser::expectedLength() const {
    if (buffer_.size() < 2) {
        return 0;
    }
    // Command bit 7 announces a length byte; without it two data bytes follow.
    if ((buffer_[1] & 0x80) == 0) {
        return 5;
    }
    return buffer_.size() < 3 ? 0 : static_cast<size_t>(buffer_[2]) + 4;
}

void RequestParser::push(uint8_t byte) {
    if (buffer_.empty() && !CanStartFrame(byte)) {
        junk({byte});
        return;
    }
    buffer_.push_back(byte);
    const size_t length = expectedLength();
    if (length == 0 || buffer_.size() < length) {
        return;
    }
    uint8_t crc = 0;
    for (size_t i = 0; i + 1 < length; ++i) {
        crc = basCRC8_Dallas_1_Wire::Crc8Update(crc, buffer_[i]);
    }
    if (crc != buffer_[length - 1]) {
        // Perhaps the frame began later: look again from the next byte.
        Bytes rest(buffer_.begin() + 1, buffer_.end());
        junk({buffer_.front()});
        buffer_.clear();
        for (uint8_t b : rest) {
            push(b);
        }
        return;
    }
    RequestFrame frame;
    frame.raw = std::exchange(buffer_, {});
    frame.id = frame.raw[0] & 0x1F;
    frame.answerWanted = (frame.raw[0] & 0x80) == 0;
    frame.command = frame.raw[1] & 0x7F;
    const size_t offset = (frame.raw[1] & 0x80) != 0 ? 3 : 2;
    frame.data.assign(frame.raw.begin() + static_cast<long>(offset), frame.raw.end() - 1);
    if (onFrame) {
        onFrame(frame);
    }
}

void RequestParser::junk(Bytes bytes) {
    if (onJunk && !bytes.empty()) {
        onJunk(bytes);
    }
}

} // namespace quadrel::sim
