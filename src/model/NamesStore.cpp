#include "model/NamesStore.h"

#include "model/NamesCodec.h"
#include "model/QRDSTA.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>

namespace quadrel {

namespace {

const QString kFormat = QStringLiteral("quadrel-names");
// Another program's change takes a few milliseconds; one that holds the lock
// longer has hung, and the lock goes stale.
constexpr int kLockWaitMs = 5000;
constexpr int kStaleLockMs = 10000;

std::optional<int> Count(const QJsonObject& o, const char* key, int high) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isDouble() || v.toDouble() != v.toInt() || v.toInt() < 0 || v.toInt() > high) {
        return std::nullopt;
    }
    return v.toInt();
}

std::optional<NamesEntry> ReadEntry(const QJsonValue& value, QString& error) {
    const QJsonObject o = value.toObject();
    const QJsonObject reports = o.value(QLatin1String("reports")).toObject();
    const auto id = Count(o, "id", 31);
    const auto inputs = Count(reports, "inputs", NamesCodec::kMaxPort);
    const auto outputs = Count(reports, "outputs", NamesCodec::kMaxPort);
    const auto line = o.contains(QLatin1String("line")) ? Count(o, "line", 255) : 0;
    const QJsonValue name = reports.value(QLatin1String("name"));
    if (!value.isObject() || !id || !inputs || !outputs || !line || !name.isString() ||
        NamesCodec::Length(name.toString()) > NamesCodec::kMaxReportedName) {
        error = QCoreApplication::translate("NamesStore", "what the unit reports is damaged");
        return std::nullopt;
    }
    const auto names =
        NamesCodec::FromJson(o.value(QLatin1String("names")), QStringLiteral("names"), error);
    if (!names) {
        return std::nullopt;
    }
    NamesEntry entry;
    entry.report = {*id, name.toString(), *inputs, *outputs, *line};
    entry.names = *names;
    entry.aside = o.value(QLatin1String("aside")).toBool();
    return entry;
}

template <typename Entries> auto FindExact(Entries& entries, const UnitReport& unit) {
    const auto exact = std::find_if(entries.begin(), entries.end(),
                                    [&](const NamesEntry& e) { return e.report == unit; });
    if (exact != entries.end()) {
        return exact;
    }
    // Names made before lines were told apart belong to the unit on any line.
    return std::find_if(entries.begin(), entries.end(), [&](const NamesEntry& e) {
        return e.report.line == 0 && e.report.SameUnit(unit);
    });
}

template <typename Entries> auto FindOffered(Entries& entries, const UnitReport& unit) {
    if (FindExact(entries, unit) != entries.end()) {
        return entries.end();
    }
    return std::find_if(entries.begin(), entries.end(), [&](const NamesEntry& e) {
        return e.report.id == unit.id && !e.aside && !e.report.SameUnit(unit) &&
               (e.report.line == unit.line || e.report.line == 0);
    });
}

// This unit's entry on its own line becomes `names`, the most recent first.
void Replace(std::vector<NamesEntry>& entries, const UnitReport& unit, const UnitNames& names) {
    UnitNames plain;
    quadrel::SetName(plain, {NameKind::Unit, 0}, names.unit);
    const std::pair<NameKind, const std::map<int, QString>*> maps[] = {
        {NameKind::Input, &names.inputs},
        {NameKind::Output, &names.outputs},
        {NameKind::Preset, &names.presets}};
    for (const auto& [kind, map] : maps) {
        for (const auto& [n, name] : *map) {
            if (n >= 1 && n <= NamesCodec::kMaxPort) {
                quadrel::SetName(plain, {kind, n}, name);
            }
        }
    }
    std::erase_if(entries, [&](const NamesEntry& e) { return e.report == unit; });
    if (!plain.empty()) {
        entries.insert(entries.begin(), NamesEntry{unit, std::move(plain), false});
    }
}

} // namespace

UnitReport UnitReport::Of(const QRDSTA& unit, int line) {
    return {unit.bID(), unit.sName(), unit.iInputCount(), unit.iOutputCount(), line};
}

QString UnitReport::Words() const {
    //: a unit as it reports itself: its name, its counts of inputs and outputs
    return QCoreApplication::translate("NamesStore", "%1, %2 in, %3 out")
        .arg(name, QString::number(inputs), QString::number(outputs));
}

NamesStore::NamesStore(QString fileName, std::function<QString()> timeStamp)
    : fileName_(std::move(fileName)), timeStamp_(std::move(timeStamp)) {}

QString NamesStore::DefaultFileName() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The base directory convention: a relative path is to be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QStringLiteral("/Quadrel/names.json");
}

QString NamesStore::DamagedName() const {
    const QString base = fileName_ + QStringLiteral(".damaged-") +
                         (timeStamp_ ? timeStamp_() : QStringLiteral("copy"));
    QString name = base;
    // An earlier copy is never written over.
    for (int n = 2; QFileInfo::exists(name); ++n) {
        name = base + QStringLiteral("-%1").arg(n);
    }
    return name;
}

NamesStore::Found NamesStore::ReadFile(std::vector<NamesEntry>& entries, QString& error) const {
    QFile file(fileName_);
    if (!file.exists()) {
        return Found::Missing;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return Found::Unreadable;
    }
    bool newer = false;
    auto read = FromJson(file.read(kMaxBytes + 1), error, &newer);
    if (newer) {
        return Found::Newer;
    }
    if (!read) {
        return Found::Damaged;
    }
    entries = std::move(*read);
    return Found::Read;
}

std::optional<std::vector<NamesEntry>> NamesStore::Fresh() {
    std::vector<NamesEntry> entries;
    QString error;
    switch (ReadFile(entries, error)) {
    case Found::Read:
    case Found::Missing:
        return entries;
    case Found::Unreadable:
        problem_ = tr("The names file %1 could not be read (%2). It is left as it is; "
                      "names are not kept in this run.")
                       .arg(fileName_, error);
        break;
    case Found::Newer:
        problem_ = tr("The names file %1 was written by a newer Quadrel (%2). It is "
                      "left as it is; names are not kept in this run.")
                       .arg(fileName_, error);
        break;
    case Found::Damaged: {
        const QString aside = DamagedName();
        if (QFile::rename(fileName_, aside)) {
            problem_ = tr("The names file could not be read (%1). It was kept as %2; "
                          "names start empty.")
                           .arg(error, aside);
            return entries;
        }
        problem_ = tr("The names file %1 could not be read (%2) nor kept aside. Names "
                      "are not kept in this run.")
                       .arg(fileName_, error);
        break;
    }
    }
    fileUsable_ = false;
    return std::nullopt;
}

void NamesStore::Load() {
    entries_.clear();
    problem_.clear();
    fileUsable_ = true;
    if (fileName_.isEmpty() || !QFileInfo::exists(fileName_)) {
        return;
    }
    QLockFile lock(fileName_ + QStringLiteral(".lock"));
    lock.setStaleLockTime(kStaleLockMs);
    if (!lock.tryLock(kLockWaitMs)) {
        problem_ = tr("The names file %1 is held by another program; names are not "
                      "kept in this run.")
                       .arg(fileName_);
        fileUsable_ = false;
        return;
    }
    if (auto fresh = Fresh()) {
        entries_ = std::move(*fresh);
    }
}

bool NamesStore::Change(const Edit& edit) {
    if (fileName_.isEmpty() || !fileUsable_) {
        edit(entries_);
        return fileName_.isEmpty();
    }
    problem_.clear();
    QDir().mkpath(QFileInfo(fileName_).absolutePath());
    QLockFile lock(fileName_ + QStringLiteral(".lock"));
    lock.setStaleLockTime(kStaleLockMs);
    if (!lock.tryLock(kLockWaitMs)) {
        problem_ = tr("The names could not be written to %1: another program holds "
                      "it.")
                       .arg(fileName_);
        edit(entries_);
        return false;
    }
    std::optional<std::vector<NamesEntry>> fresh = Fresh();
    if (!fresh) {
        edit(entries_);
        return false;
    }
    edit(*fresh);
    entries_ = std::move(*fresh);
    QSaveFile file(fileName_);
    if (!file.open(QIODevice::WriteOnly) || file.write(ToJson(entries_)) < 0 || !file.commit()) {
        problem_ = tr("The names could not be written to %1 (%2); the file is as it "
                      "was.")
                       .arg(fileName_, file.errorString());
    }
    return problem_.isEmpty();
}

QByteArray NamesStore::ToJson(const std::vector<NamesEntry>& entries) {
    QJsonArray units;
    for (const NamesEntry& e : entries) {
        units.append(QJsonObject{{"id", e.report.id},
                                 {"line", e.report.line},
                                 {"reports", QJsonObject{{"name", e.report.name},
                                                         {"inputs", e.report.inputs},
                                                         {"outputs", e.report.outputs}}},
                                 {"aside", e.aside},
                                 {"names", NamesCodec::ToJson(e.names)}});
    }
    return QJsonDocument(QJsonObject{{"format", kFormat}, {"version", kVersion}, {"units", units}})
        .toJson(QJsonDocument::Indented);
}

std::optional<std::vector<NamesEntry>> NamesStore::FromJson(const QByteArray& text, QString& error,
                                                            bool* newer) {
    if (text.size() > kMaxBytes) {
        error = tr("larger than %1 MiB").arg(kMaxBytes >> 20);
        return std::nullopt;
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parse);
    const QJsonObject root = doc.object();
    if (parse.error != QJsonParseError::NoError || !doc.isObject() ||
        root.value(QLatin1String("format")).toString() != kFormat) {
        error = tr("not a Quadrel names file, or damaged");
        return std::nullopt;
    }
    // Version 1 knew no lines: its units are taken as seen on any line.
    const int version = root.value(QLatin1String("version")).toInt();
    if (version < 1 || version > kVersion) {
        if (newer != nullptr) {
            *newer = version > kVersion;
        }
        error =
            tr("format version %1; this Quadrel reads up to version %2").arg(version).arg(kVersion);
        return std::nullopt;
    }
    const QJsonArray units = root.value(QLatin1String("units")).toArray();
    if (units.size() > kMaxEntries) {
        error = tr("more than %1 units").arg(kMaxEntries);
        return std::nullopt;
    }
    std::vector<NamesEntry> entries;
    for (const QJsonValue& unit : units) {
        QString why;
        std::optional<NamesEntry> entry = ReadEntry(unit, why);
        if (!entry) {
            error = tr("unit entry %1: %2").arg(entries.size() + 1).arg(why);
            return std::nullopt;
        }
        entries.push_back(std::move(*entry));
    }
    return entries;
}

const UnitNames* NamesStore::Exact(const UnitReport& unit) const {
    const auto it = FindExact(entries_, unit);
    return it == entries_.end() ? nullptr : &it->names;
}

const NamesEntry* NamesStore::Offered(const UnitReport& unit) const {
    const auto it = FindOffered(entries_, unit);
    return it == entries_.end() ? nullptr : &*it;
}

bool NamesStore::Use(const UnitReport& unit) {
    return Change([&unit](std::vector<NamesEntry>& entries) {
        const auto offered = FindOffered(entries, unit);
        if (offered == entries.end()) {
            return;
        }
        NamesEntry taken = *offered;
        taken.report = unit;
        entries.erase(offered);
        entries.insert(entries.begin(), std::move(taken));
    });
}

bool NamesStore::PutAside(const UnitReport& unit) {
    return Change([&unit](std::vector<NamesEntry>& entries) {
        const auto offered = FindOffered(entries, unit);
        if (offered != entries.end()) {
            offered->aside = true;
        }
    });
}

bool NamesStore::SetNames(const UnitReport& unit, const UnitNames& names) {
    return Change([&](std::vector<NamesEntry>& entries) { Replace(entries, unit, names); });
}

bool NamesStore::SetName(const UnitReport& unit, NamedPort port, const QString& name) {
    // The other names are the file's as it is now, not this program's copy.
    return Change([&](std::vector<NamesEntry>& entries) {
        const auto now = FindExact(entries, unit);
        UnitNames names = now != entries.end() ? now->names : UnitNames{};
        quadrel::SetName(names, port, name);
        Replace(entries, unit, names);
    });
}

} // namespace quadrel
