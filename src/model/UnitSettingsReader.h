#pragma once

// The checks of the unit settings file, one reader per file read; used only
// by UnitSettingsFile.cpp.
#include "model/NamesCodec.h"
#include "model/UnitSettings.h"
#include "model/UnitSettingsFile.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>
#include <map>
#include <optional>

namespace quadrel::UnitSettingsFile {

// Reads with a path for every message ("outputs[3].volume: ...") and stops
// at the first fault.
class Reader {
public:
    QString error;

    bool Fail(const QString& where, const QString& what) {
        if (error.isEmpty()) {
            //: %1: where in the file (a key path, as "outputs[3].volume"); %2: what is wrong there
            error =
                where.isEmpty()
                    ? what
                    : QCoreApplication::translate("UnitSettingsFile", "%1: %2").arg(where, what);
        }
        return false;
    }

    // Only the keys named may appear: a misspelt key is refused rather than
    // silently left out of the restore.
    bool Keys(const QJsonObject& o, const QString& where, const QStringList& allowed) {
        for (const QString& key : o.keys()) {
            if (!allowed.contains(key)) {
                return Fail(where,
                            QCoreApplication::translate("UnitSettingsFile", "unknown key \"%1\"")
                                .arg(key.left(40)));
            }
        }
        return true;
    }

    std::optional<int> Int(const QJsonObject& o, const QString& where, const char* key, int low,
                           int high, int step = 1) {
        const QString at = QStringLiteral("%1%2").arg(where.isEmpty() ? QString() : where + ".",
                                                      QLatin1String(key));
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) {
            Fail(at, QCoreApplication::translate("UnitSettingsFile", "missing"));
            return std::nullopt;
        }
        const double d = v.toDouble(std::nan(""));
        if (!v.isDouble() || std::floor(d) != d) {
            Fail(at, QCoreApplication::translate("UnitSettingsFile", "not a whole number"));
            return std::nullopt;
        }
        if (d < low || d > high) {
            Fail(at, QCoreApplication::translate("UnitSettingsFile", "%1 is outside %2 to %3")
                         .arg(d, 0, 'f', 0)
                         .arg(low)
                         .arg(high));
            return std::nullopt;
        }
        const int value = static_cast<int>(d);
        if (step > 1 && value % step != 0) {
            Fail(at, QCoreApplication::translate("UnitSettingsFile", "%1 is not a multiple of %2")
                         .arg(value)
                         .arg(step));
            return std::nullopt;
        }
        return value;
    }

    std::optional<bool> Bool(const QJsonObject& o, const QString& where, const char* key) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isBool()) {
            Fail(QStringLiteral("%1.%2").arg(where, QLatin1String(key)),
                 v.isUndefined()
                     ? QCoreApplication::translate("UnitSettingsFile", "missing")
                     : QCoreApplication::translate("UnitSettingsFile", "not true or false"));
            return std::nullopt;
        }
        return v.toBool();
    }

    std::optional<QString> Text(const QJsonObject& o, const QString& where, const char* key,
                                int maxLength) {
        const QJsonValue v = o.value(QLatin1String(key));
        const QString at = QStringLiteral("%1.%2").arg(where, QLatin1String(key));
        if (!v.isString()) {
            Fail(at, v.isUndefined() ? QCoreApplication::translate("UnitSettingsFile", "missing")
                                     : QCoreApplication::translate("UnitSettingsFile", "not text"));
            return std::nullopt;
        }
        if (NamesCodec::Length(v.toString()) > maxLength) {
            Fail(at, QCoreApplication::translate("UnitSettingsFile", "longer than %1 characters")
                         .arg(maxLength));
            return std::nullopt;
        }
        return v.toString();
    }

    std::optional<UnitIdentity> Unit(const QJsonObject& o) {
        UnitIdentity u;
        const QString at = QStringLiteral("unit");
        if (!Keys(o, at,
                  {"id", "name", "firmware", "inputs", "outputs", "memories", "audio", "video",
                   "abilities", "delayStep", "maxDelay"})) {
            return std::nullopt;
        }
        const auto id = Int(o, at, "id", 0, 31);
        const auto inputs = Int(o, at, "inputs", 1, 255);
        const auto outputs = Int(o, at, "outputs", 1, 255);
        const auto memories = Int(o, at, "memories", 0, 15);
        const auto name = Text(o, at, "name", NamesCodec::kMaxReportedName);
        const auto firmware = Text(o, at, "firmware", 16);
        const auto audio = Bool(o, at, "audio");
        const auto video = Bool(o, at, "video");
        const QJsonObject abilities = o.value("abilities").toObject();
        const QString ab = QStringLiteral("unit.abilities");
        if (!error.isEmpty() || !o.value("abilities").isObject() ||
            !Keys(abilities, ab, {"volume", "bass", "treble", "subwoofer", "delay", "edid"})) {
            Fail(ab, QCoreApplication::translate("UnitSettingsFile", "missing"));
            return std::nullopt;
        }
        const auto volume = Bool(abilities, ab, "volume");
        const auto bass = Bool(abilities, ab, "bass");
        const auto treble = Bool(abilities, ab, "treble");
        const auto subwoofer = Bool(abilities, ab, "subwoofer");
        const auto delay = Bool(abilities, ab, "delay");
        const auto edid = Bool(abilities, ab, "edid");
        if (!error.isEmpty()) {
            return std::nullopt;
        }
        u.id = *id;
        u.name = *name;
        u.firmware = *firmware;
        u.inputs = *inputs;
        u.outputs = *outputs;
        u.memories = *memories;
        u.audio = *audio;
        u.video = *video;
        // Audio controls without an audio section, or EDID without video,
        // describe no unit: units report them as absent.
        if ((!u.audio && (*volume || *bass || *treble || *subwoofer || *delay)) ||
            (!u.video && *edid)) {
            Fail(ab, QCoreApplication::translate(
                         "UnitSettingsFile", "names controls of a section the unit does not have"));
            return std::nullopt;
        }
        u.volume = *volume;
        u.bass = *bass;
        u.treble = *treble;
        u.subwoofer = *subwoofer;
        u.delay = *delay;
        u.edid = *edid;
        if (u.delay) {
            const auto step = Int(o, at, "delayStep", 5, 10, 5);
            const auto max = Int(o, at, "maxDelay", 0, 25500, 100);
            if (!step || !max) {
                return std::nullopt;
            }
            u.delayStep = *step;
            u.maxDelay = *max;
        }
        return u;
    }

    // Exactly one entry per output, each with the fields of the unit's abilities.
    std::optional<std::map<int, OutputValues>>
    Outputs(const QJsonValue& value, const QString& where, const UnitIdentity& u) {
        if (!value.isArray()) {
            Fail(where, QCoreApplication::translate("UnitSettingsFile", "missing"));
            return std::nullopt;
        }
        const QJsonArray array = value.toArray();
        if (array.size() != u.outputs) {
            Fail(where, QCoreApplication::translate("UnitSettingsFile", "%1 entries for %2 outputs")
                            .arg(array.size())
                            .arg(u.outputs));
            return std::nullopt;
        }
        QStringList allowed{"output"};
        const std::pair<const char*, bool> fields[] = {
            {"audioInput", u.audio},    {"videoInput", u.video}, {"mute", u.volume},
            {"volume", u.volume},       {"bass", u.bass},        {"treble", u.treble},
            {"subwoofer", u.subwoofer}, {"delay", u.delay}};
        for (const auto& [key, has] : fields) {
            if (has) {
                allowed << QLatin1String(key);
            }
        }
        std::map<int, OutputValues> out;
        for (qsizetype i = 0; i < array.size(); ++i) {
            const QString at = QStringLiteral("%1[%2]").arg(where).arg(i);
            const QJsonObject o = array[i].toObject();
            if (!array[i].isObject() || !Keys(o, at, allowed)) {
                return Fail(at, QCoreApplication::translate("UnitSettingsFile", "not an output")),
                       std::nullopt;
            }
            const auto port = Int(o, at, "output", 1, u.outputs);
            if (!port || out.count(*port) != 0) {
                return Fail(at, QCoreApplication::translate("UnitSettingsFile", "output %1 twice")
                                    .arg(port.value_or(0))),
                       std::nullopt;
            }
            OutputValues v;
            if (u.audio) {
                v.audioInput = Int(o, at, "audioInput", 0, u.inputs);
            }
            if (u.video) {
                v.videoInput = Int(o, at, "videoInput", 0, u.inputs);
            }
            if (u.volume) {
                const auto mute = Bool(o, at, "mute");
                v.mute = mute ? std::optional<int>(*mute ? 1 : 0) : std::nullopt;
                v.volume = Int(o, at, "volume", 0, 100);
            }
            if (u.bass) {
                v.bass = Int(o, at, "bass", 0, 100);
            }
            if (u.treble) {
                v.treble = Int(o, at, "treble", 0, 100);
            }
            if (u.subwoofer) {
                v.subwoofer = Int(o, at, "subwoofer", 0, 100);
            }
            if (u.delay) {
                v.delay = Int(o, at, "delay", 0, u.maxDelay, u.delayStep);
            }
            if (!error.isEmpty()) {
                return std::nullopt;
            }
            out[*port] = v;
        }
        return out;
    }

    std::optional<std::map<int, int>> Edid(const QJsonValue& value, const UnitIdentity& u) {
        const QString where = QStringLiteral("inputs");
        const QJsonArray array = value.toArray();
        const int wanted = u.edid ? u.inputs : 0;
        if (!value.isArray() || array.size() != wanted) {
            Fail(where, QCoreApplication::translate("UnitSettingsFile",
                                                    "%1 entries for %2 inputs with EDID select")
                            .arg(array.size())
                            .arg(wanted));
            return std::nullopt;
        }
        std::map<int, int> out;
        for (qsizetype i = 0; i < array.size(); ++i) {
            const QString at = QStringLiteral("inputs[%1]").arg(i);
            const QJsonObject o = array[i].toObject();
            if (!Keys(o, at, {"input", "edid"})) {
                return std::nullopt;
            }
            const auto port = Int(o, at, "input", 1, u.inputs);
            const auto edid = Int(o, at, "edid", 0, 1);
            if (!port || !edid || out.count(*port) != 0) {
                return Fail(at, QCoreApplication::translate("UnitSettingsFile", "input %1 twice")
                                    .arg(port.value_or(0))),
                       std::nullopt;
            }
            out[*port] = *edid;
        }
        return out;
    }

    std::optional<UnitNames> Names(const QJsonValue& value) {
        QString why;
        std::optional<UnitNames> names = NamesCodec::FromJson(value, QStringLiteral("names"), why);
        if (!names) {
            Fail(QString(), why);
        }
        return names;
    }

    std::optional<std::map<int, UnitValues>> Presets(const QJsonValue& value,
                                                     const UnitIdentity& u) {
        const QJsonArray array = value.toArray();
        if (!value.isArray() || array.size() > u.memories) {
            return Fail(QStringLiteral("presets"),
                        QCoreApplication::translate("UnitSettingsFile",
                                                    "not a list of at most %1 locations")
                            .arg(u.memories)),
                   std::nullopt;
        }
        std::map<int, UnitValues> out;
        for (qsizetype i = 0; i < array.size(); ++i) {
            const QString at = QStringLiteral("presets[%1]").arg(i);
            const QJsonObject o = array[i].toObject();
            if (!Keys(o, at, {"location", "outputs"})) {
                return std::nullopt;
            }
            const auto location = Int(o, at, "location", 1, u.memories);
            if (!location || out.count(*location) != 0) {
                return Fail(at, QCoreApplication::translate("UnitSettingsFile", "location %1 twice")
                                    .arg(location.value_or(0))),
                       std::nullopt;
            }
            auto outputs = Outputs(o.value("outputs"), at + QStringLiteral(".outputs"), u);
            if (!outputs) {
                return std::nullopt;
            }
            out[*location].outputs = std::move(*outputs);
        }
        return out;
    }
};

} // namespace quadrel::UnitSettingsFile
