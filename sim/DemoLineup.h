#pragma once

#include "sim/UnitConfig.h"

#include <vector>

namespace quadrel::sim {

// The units served when none are given: one of each kind the program shows.
class DemoLineup {
public:
    static std::vector<UnitConfig> Units();
};

} // namespace quadrel::sim
