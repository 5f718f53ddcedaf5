#pragma once

#include "model/UnitNames.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace quadrel {

class QRDSTA;

// What a unit reports of itself at its ID on one line (serial port number,
// 0 when not known): the key its names are kept under, so names made for one
// unit are never shown silently on another, and identical units on two lines
// keep names of their own.
struct UnitReport {
    int id = 0;
    QString name;
    int inputs = 0;
    int outputs = 0;
    int line = 0;

    static UnitReport Of(const QRDSTA& unit, int line);
    // "Main Hall 24x16, 24 in, 16 out"
    QString Words() const;
    // The same unit, whatever line it was seen on.
    bool SameUnit(const UnitReport& other) const {
        return id == other.id && name == other.name && inputs == other.inputs &&
               outputs == other.outputs;
    }
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
// written atomically). One program runs per line, so several may share the
// file: each change re-reads the file under a lock and applies only that
// change to it, never this program's older copy. A damaged file is kept
// under a name with the time and the store starts empty; a file that cannot
// be read, or comes from a newer Quadrel, is left untouched and names live
// only as long as the store.
class NamesStore {
    Q_DECLARE_TR_FUNCTIONS(NamesStore)

public:
    // `fileName` empty: names live only as long as the store. `timeStamp`
    // names a damaged file's copy ("20260102-030405"); without it the copies
    // are numbered.
    explicit NamesStore(QString fileName, std::function<QString()> timeStamp = {});

    // $XDG_CONFIG_HOME/Quadrel/names.json, or ~/.config/Quadrel/names.json.
    static QString DefaultFileName();

    void Load();
    // Why the last load or change could not use the file, for the operator;
    // empty when it went well.
    const QString& problem() const { return problem_; }

    // The names made for exactly this unit on its line (or, made before lines
    // were told apart, on any line), or null.
    const UnitNames* Exact(const UnitReport& unit) const;
    // When none were made for it: names made at its ID on its line for a unit
    // that reported otherwise and not put aside, the most recently changed first.
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
    // makes every name plain. `newer` tells a file of a later format.
    static QByteArray ToJson(const std::vector<NamesEntry>& entries);
    static std::optional<std::vector<NamesEntry>> FromJson(const QByteArray& text, QString& error,
                                                           bool* newer = nullptr);

    static constexpr int kVersion = 2;
    static constexpr qint64 kMaxBytes = 4 << 20;
    static constexpr int kMaxEntries = 1024;

private:
    using Edit = std::function<void(std::vector<NamesEntry>&)>;
    enum class Found { Read, Missing, Unreadable, Newer, Damaged };
    // Applies `edit` to the file as it is now, under the lock, and keeps the result.
    bool Change(const Edit& edit);
    Found ReadFile(std::vector<NamesEntry>& entries, QString& error) const;
    // The file as found, or why not; a damaged one is moved aside.
    std::optional<std::vector<NamesEntry>> Fresh();
    QString DamagedName() const;

    QString fileName_;
    std::function<QString()> timeStamp_;
    QString problem_;
    bool fileUsable_ = true;
    // The most recently changed first.
    std::vector<NamesEntry> entries_;
};

} // namespace quadrel
