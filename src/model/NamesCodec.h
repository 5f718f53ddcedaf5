#pragma once

#include "model/UnitNames.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

namespace quadrel::NamesCodec {

// The one writer and reader of names, for the names file, the unit settings
// file and the names table alike, so that whatever one writes the others take.
//
// Names are counted in characters (code points), never in UTF-16 units, so a
// character beyond the first plane counts once everywhere.

// Ports and preset locations a name may be kept for: any a unit can have,
// whatever the counts of the unit at hand (names made for a larger unit stay).
constexpr int kMaxPort = 255;
// A unit's reported name: the bytes its information reply can carry, each
// at most one character once decoded.
constexpr int kMaxReportedName = 252;

// Characters in `text`.
int Length(const QString& text);

// {"unit": "...", "inputs": {"1": "..."}, "outputs": {...}, "presets": {...}}
QJsonObject ToJson(const UnitNames& names);
// Reads what ToJson writes: port numbers 1 to kMaxPort as keys, text of at
// most kMaxPortNameLength characters as values, nothing else. Names are made
// plain (PlainName), so a hand-edited file shows no control characters.
// Empty, with `error` saying where ("names.inputs.9: ..."), otherwise.
std::optional<UnitNames> FromJson(const QJsonValue& value, const QString& where, QString& error);

} // namespace quadrel::NamesCodec
