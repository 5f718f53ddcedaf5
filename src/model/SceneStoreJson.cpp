#include "model/SceneStore.h"

#include "model/NamesCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <set>

namespace quadrel {

namespace {

const QString kFormat = QStringLiteral("quadrel-scenes");
constexpr int kMaxId = 0x1F;
constexpr int kMaxPort = 255;
constexpr int kMaxLevel = 100;
// Past any unit's delay: the unit's own maximum is checked at recall.
constexpr int kMaxDelayMs = 65535;
constexpr int kMaxShortcutLength = 64;

// The output fields in the file's words.
struct FieldKey {
    const char* key;
    std::optional<int> OutputValues::*field;
    int high;
};
constexpr FieldKey kFields[] = {
    {"audio", &OutputValues::audioInput, kMaxPort},
    {"video", &OutputValues::videoInput, kMaxPort},
    {"mute", &OutputValues::mute, 1},
    {"volume", &OutputValues::volume, kMaxLevel},
    {"bass", &OutputValues::bass, kMaxLevel},
    {"treble", &OutputValues::treble, kMaxLevel},
    {"subwoofer", &OutputValues::subwoofer, kMaxLevel},
    {"delay", &OutputValues::delay, kMaxDelayMs},
};

std::optional<int> Whole(const QJsonValue& v, int low, int high) {
    if (!v.isDouble() || v.toDouble() != static_cast<double>(v.toInt()) || v.toInt() < low ||
        v.toInt() > high) {
        return std::nullopt;
    }
    return v.toInt();
}

std::optional<SceneUnit> ReadUnit(const QJsonObject& o, QString& error) {
    SceneUnit u;
    const auto id = Whole(o.value(QLatin1String("id")), 0, kMaxId);
    const auto inputs = Whole(o.value(QLatin1String("inputs")), 1, kMaxPort);
    const auto outputs = Whole(o.value(QLatin1String("outputs")), 1, kMaxPort);
    const QJsonValue name = o.value(QLatin1String("name"));
    if (!id || !inputs || !outputs || !name.isString() ||
        NamesCodec::Length(name.toString()) > NamesCodec::kMaxReportedName) {
        error = QCoreApplication::translate(
            "SceneStore", "the unit's ID, name or size is damaged or out of range");
        return std::nullopt;
    }
    u.id = static_cast<uint8_t>(*id);
    u.name = name.toString();
    u.inputs = *inputs;
    u.outputs = *outputs;
    if (o.contains(QLatin1String("preset"))) {
        u.preset = Whole(o.value(QLatin1String("preset")), 1, kMaxPort);
        if (!u.preset) {
            error =
                QCoreApplication::translate("SceneStore", "the preset location is out of range");
            return std::nullopt;
        }
    }
    const QJsonArray outs = o.value(QLatin1String("set")).toArray();
    const QJsonArray edid = o.value(QLatin1String("edid")).toArray();
    if (outs.size() > kMaxPort || edid.size() > kMaxPort) {
        error = QCoreApplication::translate("SceneStore", "too many ports");
        return std::nullopt;
    }
    for (const QJsonValue& v : outs) {
        const QJsonObject p = v.toObject();
        const auto port = Whole(p.value(QLatin1String("output")), 1, kMaxPort);
        if (!port || u.values.outputs.count(*port) != 0) {
            error = QCoreApplication::translate(
                "SceneStore", "an output number is damaged, out of range or given twice");
            return std::nullopt;
        }
        OutputValues& values = u.values.outputs[*port];
        for (const FieldKey& f : kFields) {
            const QJsonValue value = p.value(QLatin1String(f.key));
            if (value.isUndefined()) {
                continue;
            }
            values.*f.field = Whole(value, 0, f.high);
            if (!(values.*f.field)) {
                error = QCoreApplication::translate("SceneStore",
                                                    "output %1: %2 is damaged or out of range")
                            .arg(*port)
                            .arg(QLatin1String(f.key));
                return std::nullopt;
            }
        }
    }
    for (const QJsonValue& v : edid) {
        const QJsonObject p = v.toObject();
        const auto port = Whole(p.value(QLatin1String("input")), 1, kMaxPort);
        const auto type = Whole(p.value(QLatin1String("type")), 0, 1);
        if (!port || !type || u.values.edid.count(*port) != 0) {
            error = QCoreApplication::translate(
                "SceneStore", "an input's EDID is damaged, out of range or given twice");
            return std::nullopt;
        }
        u.values.edid[*port] = *type;
    }
    return u;
}

QJsonObject WriteUnit(const SceneUnit& u) {
    QJsonObject o{{"id", u.id}, {"name", u.name}, {"inputs", u.inputs}, {"outputs", u.outputs}};
    if (u.preset) {
        o.insert(QStringLiteral("preset"), *u.preset);
    }
    QJsonArray outs;
    for (const auto& [port, values] : u.values.outputs) {
        QJsonObject p{{"output", port}};
        for (const FieldKey& f : kFields) {
            if (const auto& value = values.*f.field) {
                p.insert(QLatin1String(f.key), *value);
            }
        }
        outs.append(p);
    }
    QJsonArray edid;
    for (const auto& [port, type] : u.values.edid) {
        edid.append(QJsonObject{{"input", port}, {"type", type}});
    }
    o.insert(QStringLiteral("set"), outs);
    o.insert(QStringLiteral("edid"), edid);
    return o;
}

} // namespace

QString SceneStore::Check(const Scene& scene) {
    if (scene.name.trimmed().isEmpty() || scene.name.size() > kMaxNameLength ||
        scene.name != scene.name.trimmed()) {
        return tr("A scene's name is 1 to %1 characters, without spaces at its ends.")
            .arg(kMaxNameLength);
    }
    if (scene.shortcut.size() > kMaxShortcutLength) {
        return tr("The shortcut is too long.");
    }
    // The file's own reader decides what is in range: one rule, both ways.
    QString error;
    if (!FromJson(ToJson({scene}), error)) {
        return error;
    }
    return {};
}

QByteArray SceneStore::ToJson(const std::vector<Scene>& scenes) {
    QJsonArray list;
    for (const Scene& s : scenes) {
        QJsonArray units;
        for (const SceneUnit& u : s.units) {
            units.append(WriteUnit(u));
        }
        list.append(QJsonObject{{"name", s.name}, {"shortcut", s.shortcut}, {"units", units}});
    }
    return QJsonDocument(QJsonObject{{"format", kFormat}, {"version", kVersion}, {"scenes", list}})
        .toJson(QJsonDocument::Indented);
}

std::optional<std::vector<Scene>> SceneStore::FromJson(const QByteArray& text, QString& error,
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
        error = tr("not a Quadrel scenes file, or damaged");
        return std::nullopt;
    }
    const int version = root.value(QLatin1String("version")).toInt();
    if (version < 1 || version > kVersion) {
        if (newer != nullptr) {
            *newer = version > kVersion;
        }
        error =
            tr("format version %1; this Quadrel reads up to version %2").arg(version).arg(kVersion);
        return std::nullopt;
    }
    const QJsonArray list = root.value(QLatin1String("scenes")).toArray();
    if (list.size() > kMaxScenes) {
        error = tr("more than %1 scenes").arg(kMaxScenes);
        return std::nullopt;
    }
    std::vector<Scene> scenes;
    std::set<QString> names;
    for (const QJsonValue& v : list) {
        const QJsonObject o = v.toObject();
        Scene scene;
        scene.name = o.value(QLatin1String("name")).toString();
        scene.shortcut = o.value(QLatin1String("shortcut")).toString();
        const QJsonArray units = o.value(QLatin1String("units")).toArray();
        if (scene.name.trimmed().isEmpty() || scene.name.size() > kMaxNameLength ||
            scene.shortcut.size() > kMaxShortcutLength || !names.insert(scene.name).second ||
            units.size() > kMaxId + 1) {
            error = tr("scene %1: its name, shortcut or number of units is damaged")
                        .arg(scenes.size() + 1);
            return std::nullopt;
        }
        std::set<int> ids;
        for (const QJsonValue& u : units) {
            QString why;
            auto unit = ReadUnit(u.toObject(), why);
            if (unit && !ids.insert(unit->id).second) {
                why = tr("unit %1 is named twice").arg(unit->id);
                unit.reset();
            }
            if (!unit) {
                //: %1: the scene's name; %2: what is wrong
                error = tr("scene “%1”: %2").arg(scene.name, why);
                return std::nullopt;
            }
            scene.units.push_back(std::move(*unit));
        }
        scenes.push_back(std::move(scene));
    }
    return scenes;
}

} // namespace quadrel
