#pragma once

#include "sim/SimOptions.h"

#include <QString>

namespace quadrel::sim {

// The key=value vocabulary shared by --unit, --faults and the config file.
// Each Apply* returns false and fills `error` for a key it does not know or a
// value out of its range.
namespace OptionKeys {

bool ApplyUnitKey(UnitConfig& unit, const QString& key, const QString& value, QString& error);
bool ApplyFaultKey(FaultConfig& faults, const QString& key, const QString& value, QString& error);
bool ApplyLineKey(SimOptions& options, const QString& key, const QString& value, QString& error);
bool IsFaultKey(const QString& key);

// "key=value,key=value" into a unit (its own faults included) or into faults.
bool ParseUnitKeys(const QString& text, UnitConfig& unit, QString& error);
bool ParseFaultKeys(const QString& text, FaultConfig& faults, QString& error);

// Checks the whole line-up: distinct IDs, sane combinations.
bool Validate(const SimOptions& options, QString& error);

} // namespace OptionKeys
} // namespace quadrel::sim
