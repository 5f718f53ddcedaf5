#pragma once

#include "support/SimCoreHarness.h"

#include <cstdint>
#include <random>
#include <vector>

namespace quadrel::test {

// A seeded operator who does at random what the windows let one do, each act
// sending exactly what the widget behind it sends, purges included.
class SoakOperator {
public:
    SoakOperator(SimCoreHarness& h, uint64_t seed) : h_(h), rng_(seed) {}

    // One act; false when nothing was allowed.
    bool Act();

    // A click on the unit's row in the unit list.
    void ClickRow(uint8_t id);

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    void Send(const QRDSTA& unit, uint8_t code, int d0, int d1, int32_t priority);
    // A setting on `count` ticked ports of 1..ports: each code of `sets` with
    // its value, the older frames of that port withdrawn; then each of `gets`
    // for the whole unit afresh.
    bool Set(const QRDSTA& unit, const std::vector<uint8_t>& sets, const std::vector<uint8_t>& gets,
             int count, int ports, const std::vector<int>& values);
    bool Route(const QRDSTA& unit, bool audio, bool video);
    bool Preset(const QRDSTA& unit, bool audio, bool video);

    SimCoreHarness& h_;
    std::mt19937_64 rng_;
};

} // namespace quadrel::test
