#pragma once

#include "model/QRDSTA.h"

#include <QString>

#include <array>

namespace quadrel {

// A column of a report list: the key later updates find it by, the header
// text, and the tool tip of its cells.
struct ListColumn {
    const char* key;
    const char* header;
    const char* toolTip;
};

// The header and tool tip in the window's language.
QString HeaderText(const ListColumn& column);
QString ToolTipText(const ListColumn& column);

// The 18 columns of the unit list lstQRD, in order.
constexpr int kUnitColumns = 18;
const std::array<ListColumn, kUnitColumns>& UnitColumns();
// Index of a unit list column by its key, -1 when there is none.
int UnitColumnOf(const QString& key);

// The 9 columns of the memory contents list lstMemory.
constexpr int kMemoryColumns = 9;
const std::array<ListColumn, kMemoryColumns>& MemoryColumns();
int MemoryColumnOf(const QString& key);

// Row key of a unit: "QRD" and the ID in decimal (QRD10).
QString UnitKey(int id);
// Row key of an output in the memory list: "Output" and the number.
QString OutputRowKey(int output);

// Everything a unit's row shows.
struct UnitRow {
    QString key;                             // UnitKey
    QString text;                            // the ID in two upper-case hex digits
    QString tag;                             // the ID in decimal: the unit's key in objUnits
    QString iconKey;                         // "GreenON" or "RedON"
    QString iconTip;                         // whether the unit answers, in words
    std::array<QString, kUnitColumns> cells; // [0] = text
};
UnitRow UnitRowOf(const QRDSTA& unit);
// The row of a unit the last scan of the port found, before it answers: its
// ID and the name it reported then, marked as last seen; nothing else of it
// is known yet. No icon: whether it answers is not known either.
UnitRow LastSeenRowOf(uint8_t id, const QString& name);

} // namespace quadrel
