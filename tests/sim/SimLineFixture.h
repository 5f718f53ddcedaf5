#pragma once

#include "link/VirtualClock.h"
#include "sim/SimSerialPort.h"
#include "support/FakeSerialPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <vector>

namespace quadrel::sim::test {

using namespace std::chrono_literals;

inline const Bytes kAck{0x81, 0xD2}; // unit 1's acknowledgement

using quadrel::test::WithCrc;
inline Bytes Request(uint8_t id, uint8_t command, uint8_t d0, uint8_t d1) {
    return WithCrc({static_cast<uint8_t>(0x20 | id), command, d0, d1});
}
// Address bit 7 set and the CRC right.
inline bool WellFormed(const Bytes& frame) {
    return frame.size() >= 2 && (frame[0] & 0x80) != 0 &&
           WithCrc(Bytes(frame.begin(), frame.end() - 1)) == frame;
}

// 4 inputs, 3 presets, delay up to 2 s in 5 ms steps.
inline UnitConfig Config(uint8_t id, int outputs = 2, std::optional<FaultConfig> faults = {}) {
    UnitConfig c;
    c.id = id;
    c.outputs = outputs;
    c.memories = 3;
    c.maxDelayTenths = 20;
    c.faults = faults;
    return c;
}

// One emulated line at 9600 baud, recording what arrives and when writes drain.
struct Line {
    struct Piece {
        VirtualClock::TimePoint at;
        Bytes bytes;
    };

    explicit Line(LineConfig config = {}) : port(clock, config) {
        port.setHandlers({[this] {
                              pieces.push_back({clock.now(), port.readAll()});
                          },
                          [this] { drainedAt.push_back(clock.now()); },
                          {}});
        EXPECT_TRUE(port.open(200, QStringLiteral("9600,n,8,1")));
    }

    Bytes All() const {
        Bytes all;
        for (const Piece& p : pieces) {
            all.insert(all.end(), p.bytes.begin(), p.bytes.end());
        }
        return all;
    }
    // All bytes that arrive within `wait` of the request.
    Bytes ask(const Bytes& request, VirtualClock::Duration wait = 1s) {
        pieces.clear();
        port.write(request);
        clock.advance(wait);
        return All();
    }
    Bytes ask(uint8_t id, uint8_t command, uint8_t d0, uint8_t d1) {
        return ask(Request(id, command, d0, d1));
    }

    VirtualClock clock;
    SimSerialPort port;
    std::vector<Piece> pieces;
    std::vector<VirtualClock::TimePoint> drainedAt;
};

class SimLineFixture : public ::testing::Test, public Line {};

} // namespace quadrel::sim::test
