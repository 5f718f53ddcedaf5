#pragma once

#include "sim/LineConfig.h"
#include "sim/UnitConfig.h"

#include <QString>

#include <vector>

namespace quadrel::sim {

// Everything quadrel-sim is told by its command line and config file.
struct SimOptions {
    static constexpr int kDefaultPort = 200; // far above the fixed device map

    int port = kDefaultPort;
    LineConfig line;
    bool trace = false;
    bool help = false;
    QString configFile;
    std::vector<UnitConfig> units; // empty: the demo line-up
};

} // namespace quadrel::sim
