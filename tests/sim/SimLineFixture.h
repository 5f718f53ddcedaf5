#pragma once

#include "link/VirtualClock.h"
#include "link/basCRC8_Dallas_1_Wire.h"
#include "sim/SimSerialPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace quadrel::sim::test {

using namespace std::chrono_literals;

// A request frame in the short form, CRC included.
inline Bytes Request(uint8_t id, uint8_t command, uint8_t d0, uint8_t d1) {
    Bytes frame{static_cast<uint8_t>(0x20 | id), command, d0, d1};
    frame.push_back(basCRC8_Dallas_1_Wire::CalculateCrc8(frame, 4));
    return frame;
}

// One emulated line on a virtual clock, opened at 9600 baud, recording every
// piece that arrives and when.
class SimLineFixture : public ::testing::Test {
protected:
    struct Piece {
        VirtualClock::TimePoint at;
        Bytes bytes;
    };

    explicit SimLineFixture(LineConfig config = {}) : port(clock, config) {}

    void SetUp() override {
        port.setHandlers({[this] {
                              pieces.push_back({clock.now(), port.readAll()});
                          },
                          [this] { drainedAt.push_back(clock.now()); },
                          {}});
        ASSERT_TRUE(port.open(200, QStringLiteral("9600,n,8,1")));
    }

    // Writes a request and lets a second of line time pass; returns all bytes
    // that arrived meanwhile.
    Bytes ask(const Bytes& request, VirtualClock::Duration wait = 1s) {
        pieces.clear();
        port.write(request);
        clock.advance(wait);
        Bytes all;
        for (const Piece& p : pieces) {
            all.insert(all.end(), p.bytes.begin(), p.bytes.end());
        }
        return all;
    }
    Bytes ask(uint8_t id, uint8_t command, uint8_t d0, uint8_t d1) {
        return ask(Request(id, command, d0, d1));
    }

    VirtualClock clock;
    SimSerialPort port;
    std::vector<Piece> pieces;
    std::vector<VirtualClock::TimePoint> drainedAt;
};

} // namespace quadrel::sim::test
