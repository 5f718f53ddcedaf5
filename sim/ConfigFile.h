#pragma once

#include "sim/SimOptions.h"

#include <QString>

namespace quadrel::sim {

// The config file of quadrel-sim: lines of key = value under [line] and any
// number of [unit] sections, one per unit; '#' starts a comment.
class ConfigFile {
public:
    // Adds what the file says to `options`; false with a message naming the
    // file and line when it cannot be read or says something wrong.
    static bool Load(const QString& path, SimOptions& options, QString& error);
    static bool Parse(const QString& text, const QString& name, SimOptions& options,
                      QString& error);
};

} // namespace quadrel::sim
