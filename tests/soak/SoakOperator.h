#pragma once

#include "link/CommandCodes.h"
#include "support/SimCoreHarness.h"

#include <cstdint>
#include <random>
#include <string>

namespace quadrel::test {

// A seeded operator who does at random what the windows let one do, each act
// sending exactly what the widget behind it sends, purges included.
class SoakOperator {
public:
    SoakOperator(SimCoreHarness& h, uint64_t seed) : h_(h), rng_(seed) {}

    // One act; returns its name, or an empty string when nothing was allowed.
    std::string Act();

    // A click on the unit's row in the unit list.
    void ClickRow(uint8_t id);

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }

    std::string Route(const QRDSTA& unit);
    std::string Level(const QRDSTA& unit);
    std::string Mute(const QRDSTA& unit);
    std::string Delay(const QRDSTA& unit);
    std::string Edid(const QRDSTA& unit);
    std::string Preset(const QRDSTA& unit);
    std::string SelectUnit();
    std::string ScanButton();

    SimCoreHarness& h_;
    std::mt19937_64 rng_;
};

} // namespace quadrel::test
