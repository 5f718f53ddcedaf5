#pragma once

#include "sim/SimOptions.h"

#include <QString>
#include <QStringList>

namespace quadrel::sim {

// The command line of quadrel-sim. Options given on it win over the config
// file's [line] keys; units from both are served together.
class CommandLine {
public:
    // `args` without the program name. False with a message on a bad option.
    static bool Parse(const QStringList& args, SimOptions& options, QString& error);
    static QString Help();
};

} // namespace quadrel::sim
