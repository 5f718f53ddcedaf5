#include "model/NamesStore.h"

#include "model/QRDSTA.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace quadrel {

namespace {

const QString kFormat = QStringLiteral("quadrel-names");
constexpr int kMaxPortNumber = 255;

QJsonObject MapJson(const std::map<int, QString>& names) {
    QJsonObject o;
    for (const auto& [n, name] : names) {
        o.insert(QString::number(n), name);
    }
    return o;
}

// Numbers 1 to 255 as keys, text as values; names are made plain here, so
// a hand-edited file shows no markup or control characters either.
bool ReadMap(const QJsonValue& value, std::map<int, QString>& out) {
    if (!value.isObject()) {
        return false;
    }
    const QJsonObject o = value.toObject();
    for (auto it = o.begin(); it != o.end(); ++it) {
        bool ok = false;
        const int n = it.key().toInt(&ok);
        if (!ok || n < 1 || n > kMaxPortNumber || !it.value().isString()) {
            return false;
        }
        const QString name = PlainName(it.value().toString());
        if (!name.isEmpty()) {
            out[n] = name;
        }
    }
    return true;
}

std::optional<int> Count(const QJsonObject& o, const char* key) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isDouble() || v.toDouble() != v.toInt() || v.toInt() < 0 || v.toInt() > kMaxPortNumber) {
        return std::nullopt;
    }
    return v.toInt();
}

std::optional<NamesEntry> ReadEntry(const QJsonValue& value) {
    const QJsonObject o = value.toObject();
    const QJsonObject reports = o.value(QLatin1String("reports")).toObject();
    const QJsonObject names = o.value(QLatin1String("names")).toObject();
    const auto id = Count(o, "id");
    const auto inputs = Count(reports, "inputs");
    const auto outputs = Count(reports, "outputs");
    NamesEntry entry;
    if (!value.isObject() || !id || *id > 31 || !inputs || !outputs ||
        !reports.value(QLatin1String("name")).isString() ||
        !names.value(QLatin1String("unit")).isString() ||
        !ReadMap(names.value(QLatin1String("inputs")), entry.names.inputs) ||
        !ReadMap(names.value(QLatin1String("outputs")), entry.names.outputs) ||
        !ReadMap(names.value(QLatin1String("presets")), entry.names.presets)) {
        return std::nullopt;
    }
    entry.report = {*id, reports.value(QLatin1String("name")).toString().left(255), *inputs,
                    *outputs};
    entry.names.unit = PlainName(names.value(QLatin1String("unit")).toString());
    entry.aside = o.value(QLatin1String("aside")).toBool();
    return entry;
}

} // namespace

UnitReport UnitReport::Of(const QRDSTA& unit) {
    return {unit.bID(), unit.sName(), unit.iInputCount(), unit.iOutputCount()};
}

QString UnitReport::Words() const {
    return QStringLiteral("%1, %2 in, %3 out")
        .arg(name, QString::number(inputs), QString::number(outputs));
}

NamesStore::NamesStore(QString fileName) : fileName_(std::move(fileName)) {}

QString NamesStore::DefaultFileName() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The base directory convention: a relative path is to be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QStringLiteral("/Quadrel/names.json");
}

void NamesStore::Load() {
    entries_.clear();
    problem_.clear();
    QFile file(fileName_);
    if (fileName_.isEmpty() || !file.exists()) {
        return;
    }
    QString error;
    std::optional<std::vector<NamesEntry>> read;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
    } else {
        read = FromJson(file.read(kMaxBytes + 1), error);
        file.close();
    }
    if (read) {
        entries_ = std::move(*read);
        return;
    }
    // Kept for the operator: the next change would otherwise write over it.
    const QString aside = fileName_ + QStringLiteral(".damaged");
    QFile::remove(aside);
    const bool moved = QFile::rename(fileName_, aside);
    problem_ = moved ? QStringLiteral("The names file could not be read (%1). It was kept as %2; "
                                      "names start empty.")
                           .arg(error, aside)
                     : QStringLiteral("The names file %1 could not be read (%2). Names are not "
                                      "kept in this run.")
                           .arg(fileName_, error);
    if (!moved) {
        fileName_.clear();
    }
}

QByteArray NamesStore::ToJson(const std::vector<NamesEntry>& entries) {
    QJsonArray units;
    for (const NamesEntry& e : entries) {
        units.append(QJsonObject{{"id", e.report.id},
                                 {"reports", QJsonObject{{"name", e.report.name},
                                                         {"inputs", e.report.inputs},
                                                         {"outputs", e.report.outputs}}},
                                 {"aside", e.aside},
                                 {"names", QJsonObject{{"unit", e.names.unit},
                                                       {"inputs", MapJson(e.names.inputs)},
                                                       {"outputs", MapJson(e.names.outputs)},
                                                       {"presets", MapJson(e.names.presets)}}}});
    }
    return QJsonDocument(QJsonObject{{"format", kFormat}, {"version", kVersion}, {"units", units}})
        .toJson(QJsonDocument::Indented);
}

std::optional<std::vector<NamesEntry>> NamesStore::FromJson(const QByteArray& text,
                                                            QString& error) {
    if (text.size() > kMaxBytes) {
        error = QStringLiteral("larger than %1 MiB").arg(kMaxBytes >> 20);
        return std::nullopt;
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parse);
    const QJsonObject root = doc.object();
    if (parse.error != QJsonParseError::NoError || !doc.isObject() ||
        root.value(QLatin1String("format")).toString() != kFormat) {
        error = QStringLiteral("not a Quadrel names file, or damaged");
        return std::nullopt;
    }
    if (root.value(QLatin1String("version")).toInt() != kVersion) {
        error = QStringLiteral("format version %1; this Quadrel reads version %2")
                    .arg(root.value(QLatin1String("version")).toInt())
                    .arg(kVersion);
        return std::nullopt;
    }
    const QJsonArray units = root.value(QLatin1String("units")).toArray();
    if (units.size() > kMaxEntries) {
        error = QStringLiteral("more than %1 units").arg(kMaxEntries);
        return std::nullopt;
    }
    std::vector<NamesEntry> entries;
    for (const QJsonValue& unit : units) {
        std::optional<NamesEntry> entry = ReadEntry(unit);
        if (!entry) {
            error = QStringLiteral("unit entry %1 is damaged").arg(entries.size() + 1);
            return std::nullopt;
        }
        entries.push_back(std::move(*entry));
    }
    return entries;
}

NamesEntry* NamesStore::Find(const UnitReport& unit) {
    for (NamesEntry& e : entries_) {
        if (e.report == unit) {
            return &e;
        }
    }
    return nullptr;
}

const UnitNames* NamesStore::Exact(const UnitReport& unit) const {
    for (const NamesEntry& e : entries_) {
        if (e.report == unit) {
            return &e.names;
        }
    }
    return nullptr;
}

const NamesEntry* NamesStore::Offered(const UnitReport& unit) const {
    if (Exact(unit) != nullptr) {
        return nullptr;
    }
    for (const NamesEntry& e : entries_) {
        if (e.report.id == unit.id && !e.aside) {
            return &e;
        }
    }
    return nullptr;
}

bool NamesStore::Use(const UnitReport& unit) {
    const NamesEntry* offered = Offered(unit);
    if (offered == nullptr) {
        return true;
    }
    NamesEntry taken = *offered;
    taken.report = unit;
    entries_.erase(entries_.begin() + (offered - entries_.data()));
    entries_.insert(entries_.begin(), std::move(taken));
    return Save();
}

bool NamesStore::PutAside(const UnitReport& unit) {
    const NamesEntry* offered = Offered(unit);
    if (offered == nullptr) {
        return true;
    }
    entries_[static_cast<size_t>(offered - entries_.data())].aside = true;
    return Save();
}

bool NamesStore::SetNames(const UnitReport& unit, const UnitNames& names) {
    UnitNames plain;
    quadrel::SetName(plain, {NameKind::Unit, 0}, names.unit);
    const std::pair<NameKind, const std::map<int, QString>*> maps[] = {
        {NameKind::Input, &names.inputs},
        {NameKind::Output, &names.outputs},
        {NameKind::Preset, &names.presets}};
    for (const auto& [kind, map] : maps) {
        for (const auto& [n, name] : *map) {
            if (n >= 1 && n <= kMaxPortNumber) {
                quadrel::SetName(plain, {kind, n}, name);
            }
        }
    }
    NamesEntry* entry = Find(unit);
    if (entry != nullptr) {
        entries_.erase(entries_.begin() + (entry - entries_.data()));
    }
    if (!plain.empty()) {
        entries_.insert(entries_.begin(), NamesEntry{unit, std::move(plain), false});
    }
    return Save();
}

bool NamesStore::SetName(const UnitReport& unit, NamedPort port, const QString& name) {
    const UnitNames* now = Exact(unit);
    UnitNames names = now != nullptr ? *now : UnitNames{};
    quadrel::SetName(names, port, name);
    return SetNames(unit, names);
}

bool NamesStore::Save() {
    if (fileName_.isEmpty()) {
        return true;
    }
    QDir().mkpath(QFileInfo(fileName_).absolutePath());
    QSaveFile file(fileName_);
    if (!file.open(QIODevice::WriteOnly) || file.write(ToJson(entries_)) < 0 || !file.commit()) {
        problem_ = QStringLiteral("The names could not be written to %1 (%2).")
                       .arg(fileName_, file.errorString());
        return false;
    }
    problem_.clear();
    return true;
}

} // namespace quadrel
