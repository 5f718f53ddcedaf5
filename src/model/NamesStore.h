#pragma once

#include "model/UnitNames.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace quadrel {

class QRDSTA;

// What a unit reports of itself at its ID: the key its names are kept under,
// so names made for one unit are never shown silently on another.
struct UnitReport {
    int id = 0;
    QString name;
    int inputs = 0;
    int outputs = 0;

    static UnitReport Of(const QRDSTA& unit);
    // "Main Hall 24x16, 24 in, 16 out"
    QString Words() const;
    bool operator==(const UnitReport&) const = default;
};

// The names made for one unit. Names put aside are kept but no longer
// offered to another unit at the same ID.
struct NamesEntry {
    UnitReport report;
    UnitNames names;
    bool aside = false;
    bool operator==(const NamesEntry&) const = default;
};

// The operator's names of every unit, in a file of their own (versioned JSON,
// written whole and atomically after each change). A file that cannot be read
// is moved aside, never overwritten, and the store starts empty.
class NamesStore {
public:
    // `fileName` empty: names live only as long as the store.
    explicit NamesStore(QString fileName);

    // $XDG_CONFIG_HOME/Quadrel/names.json, or ~/.config/Quadrel/names.json.
    static QString DefaultFileName();

    void Load();
    // Why the last load or write failed, for the operator; empty when it went well.
    const QString& problem() const { return problem_; }

    // The names made for exactly this unit, or null.
    const UnitNames* Exact(const UnitReport& unit) const;
    // When none were made for it: names made at its ID for a unit that
    // reported otherwise and not put aside, the most recently changed first.
    const NamesEntry* Offered(const UnitReport& unit) const;
    // The offered names become this unit's.
    bool Use(const UnitReport& unit);
    // The offered names stay in the file but are offered no more.
    bool PutAside(const UnitReport& unit);
    // Replaces this unit's names (none removes its entry).
    bool SetNames(const UnitReport& unit, const UnitNames& names);
    bool SetName(const UnitReport& unit, NamedPort port, const QString& name);

    const std::vector<NamesEntry>& entries() const { return entries_; }
    const QString& fileName() const { return fileName_; }

    // The file's text, and back; the reader checks sizes and ranges and
    // makes every name plain.
    static QByteArray ToJson(const std::vector<NamesEntry>& entries);
    static std::optional<std::vector<NamesEntry>> FromJson(const QByteArray& text, QString& error);

    static constexpr int kVersion = 1;
    static constexpr qint64 kMaxBytes = 4 << 20;
    static constexpr int kMaxEntries = 1024;

private:
    bool Save();
    NamesEntry* Find(const UnitReport& unit);

    QString fileName_;
    QString problem_;
    // The most recently changed first.
    std::vector<NamesEntry> entries_;
};

} // namespace quadrel
