#pragma once

#include "link/SerialPort.h"
#include "link/VirtualClock.h"
#include "link/basCRC8_Dallas_1_Wire.h"

#include <vector>

namespace quadrel::test {

// `b` with its CRC appended.
inline Bytes WithCrc(Bytes b) {
    b.push_back(basCRC8_Dallas_1_Wire::CalculateCrc8(b, static_cast<int>(b.size())));
    return b;
}

// A scripted serial port: records every write, and hands the link bytes when
// the test delivers them.
class FakeSerialPort : public SerialPort {
public:
    bool open(int portNumber, const QString& settings) override {
        if (refuseOpen) {
            return false;
        }
        open_ = true;
        portNumber_ = portNumber;
        settings_ = settings;
        return true;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    int portNumber() const override { return portNumber_; }
    QString settings() const override { return settings_; }

    void write(const Bytes& bytes) override {
        writes.push_back(bytes);
        if (clock != nullptr) {
            const long long baud = settings_.section(QLatin1Char(','), 0, 0).toLongLong();
            outUntil_ =
                clock->now() + std::chrono::microseconds(static_cast<long long>(bytes.size()) *
                                                         10'000'000 / (baud > 0 ? baud : 9600));
        }
    }
    Bytes readAll() override { return std::exchange(pending_, {}); }

    int outputBufferSize() const override { return bufferSize; }
    bool getTimeouts(PortTimeouts& t) const override {
        t = timeouts;
        return open_;
    }
    bool setTimeouts(const PortTimeouts& t) override {
        timeouts = t;
        return open_;
    }
    void ExpectBytes(int count) override { expected.push_back(count); }

    // The line delivers bytes: they become readable and the link is told.
    // With a clock, as on a real line: nothing answers a request before it is
    // all out, so the time moves on to that first.
    void deliver(const uint8_t* bytes, size_t size) {
        if (clock != nullptr && clock->now() < outUntil_) {
            clock->advanceTo(outUntil_);
        }
        pending_.insert(pending_.end(), bytes, bytes + size);
        notifyReceived();
    }
    void deliver(const Bytes& bytes) { deliver(bytes.data(), bytes.size()); }
    void drain() { notifyDrained(); }
    void loseLine() {
        open_ = false;
        notifyLost();
    }

    std::vector<Bytes> writes;
    std::vector<int> expected; // every count the receiver told
    PortTimeouts timeouts;
    int bufferSize = 512;
    bool refuseOpen = false;
    VirtualClock* clock = nullptr; // the line's time, when the test runs one

protected:
    bool open_ = false;
    int portNumber_ = 0;
    QString settings_;
    Bytes pending_;
    VirtualClock::TimePoint outUntil_{0};
};

} // namespace quadrel::test
