#pragma once

#include "model/UnitNames.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace quadrel::NamesCsv {

// Comma-separated values as RFC 4180 has them: fields with a comma, a quote
// or a line break in quotes, quotes doubled, lines ended by CR LF.
QByteArray Write(const std::vector<QStringList>& rows);
// Reads UTF-8 (a leading byte order mark is skipped); any line ending.
// False with `error` when a quoted field never ends.
bool Read(const QByteArray& text, std::vector<QStringList>& rows, QString& error);

// A unit's names as a table "Port","Name": the unit, then every input,
// output and preset up to the counts, named or not, and those named beyond
// them. A name a spreadsheet would evaluate as a formula (=, +, -, @) is
// written after an apostrophe, which keeps it text; an import takes it off.
QByteArray Export(const UnitNames& names, int inputs, int outputs, int presets);

// What an imported table gives: the names of the ports it lists (any port a
// unit can have), and the lines it could not take, in words.
struct Imported {
    UnitNames names;
    QStringList rejected;
};
// False (and `error`) when the text is not a names table at all.
bool Import(const QByteArray& text, Imported& out, QString& error);

// The longest file an import reads.
constexpr qint64 kMaxBytes = 1 << 20;

} // namespace quadrel::NamesCsv
