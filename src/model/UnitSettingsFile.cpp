#include "model/UnitSettingsFile.h"

#include "model/LocalFileNames.h"
#include "model/NamesCodec.h"
#include "model/UnitSettingsReader.h"

#include <QCoreApplication>
#include <QFile>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quadrel::UnitSettingsFile {

namespace {

const QString kFormat = QStringLiteral("quadrel-unit-settings");

void Put(QJsonObject& o, const char* key, const std::optional<int>& v, bool boolean = false) {
    if (v) {
        o.insert(QLatin1String(key), boolean ? QJsonValue(*v != 0) : QJsonValue(*v));
    }
}

QJsonArray OutputsJson(const UnitValues& values) {
    QJsonArray out;
    for (const auto& [port, v] : values.outputs) {
        QJsonObject o{{"output", port}};
        Put(o, "audioInput", v.audioInput);
        Put(o, "videoInput", v.videoInput);
        Put(o, "mute", v.mute, true);
        Put(o, "volume", v.volume);
        Put(o, "bass", v.bass);
        Put(o, "treble", v.treble);
        Put(o, "subwoofer", v.subwoofer);
        Put(o, "delay", v.delay);
        out.append(o);
    }
    return out;
}

} // namespace

QByteArray ToJson(const UnitSettings& s) {
    const UnitIdentity& u = s.unit;
    QJsonObject unit{{"id", u.id},
                     {"name", u.name},
                     {"firmware", u.firmware},
                     {"inputs", u.inputs},
                     {"outputs", u.outputs},
                     {"memories", u.memories},
                     {"audio", u.audio},
                     {"video", u.video},
                     {"abilities", QJsonObject{{"volume", u.volume},
                                               {"bass", u.bass},
                                               {"treble", u.treble},
                                               {"subwoofer", u.subwoofer},
                                               {"delay", u.delay},
                                               {"edid", u.edid}}}};
    if (u.delay) {
        unit.insert("delayStep", u.delayStep);
        unit.insert("maxDelay", u.maxDelay);
    }
    QJsonArray inputs;
    for (const auto& [port, edid] : s.live.edid) {
        inputs.append(QJsonObject{{"input", port}, {"edid", edid}});
    }
    QJsonObject root{{"format", kFormat},
                     {"version", kVersion},
                     {"saved", s.saved},
                     {"unit", unit},
                     {"outputs", OutputsJson(s.live)},
                     {"inputs", inputs},
                     {"names", NamesCodec::ToJson(s.names)}};
    if (s.presets) {
        QJsonArray presets;
        for (const auto& [location, values] : *s.presets) {
            presets.append(QJsonObject{{"location", location}, {"outputs", OutputsJson(values)}});
        }
        root.insert("presets", presets);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<UnitSettings> FromJson(const QByteArray& text, QString& error) {
    if (text.size() > kMaxBytes) {
        error = QCoreApplication::translate("UnitSettingsFile", "the file is larger than %1 MiB")
                    .arg(kMaxBytes >> 20);
        return std::nullopt;
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parse);
    if (parse.error != QJsonParseError::NoError) {
        error = QCoreApplication::translate("UnitSettingsFile",
                                            "the file is damaged or cut short (%1 at byte %2)")
                    .arg(parse.errorString())
                    .arg(parse.offset);
        return std::nullopt;
    }
    const QJsonObject root = doc.object();
    if (!doc.isObject() || root.value("format").toString() != kFormat) {
        error = QCoreApplication::translate("UnitSettingsFile",
                                            "this is not a Quadrel unit settings file");
        return std::nullopt;
    }
    Reader r;
    const auto version = r.Int(root, QString(), "version", 1, 1 << 30);
    if (!version) {
        error = r.error;
        return std::nullopt;
    }
    if (*version != kVersion) {
        error =
            QCoreApplication::translate(
                "UnitSettingsFile", "the file has format version %1; this Quadrel reads version %2")
                .arg(*version)
                .arg(kVersion);
        return std::nullopt;
    }
    UnitSettings s;
    std::optional<UnitIdentity> unit;
    std::optional<std::map<int, OutputValues>> outputs;
    std::optional<std::map<int, int>> edid;
    std::optional<UnitNames> names;
    const QJsonObject unitObject = root.value("unit").toObject();
    if (r.Keys(root, QString(),
               {"format", "version", "saved", "unit", "outputs", "inputs", "names", "presets"}) &&
        (unit = r.Unit(unitObject)) &&
        (outputs = r.Outputs(root.value("outputs"), QStringLiteral("outputs"), *unit)) &&
        (edid = r.Edid(root.value("inputs"), *unit)) && (names = r.Names(root.value("names")))) {
        const auto saved = r.Text(root, QStringLiteral("file"), "saved", 40);
        if (root.contains("presets")) {
            s.presets = r.Presets(root.value("presets"), *unit);
        }
        if (saved && r.error.isEmpty()) {
            s.unit = *unit;
            s.saved = *saved;
            s.live.outputs = std::move(*outputs);
            s.live.edid = std::move(*edid);
            s.names = std::move(*names);
            return s;
        }
    }
    error = r.error.isEmpty()
                ? QCoreApplication::translate("UnitSettingsFile", "the file is not complete")
                : r.error;
    return std::nullopt;
}

bool Write(const QString& path, const UnitSettings& settings, QString& error) {
    const QByteArray name = LocalFileNames::Encode(path);
    if (name != QFile::encodeName(path)) {
        // A name that is not UTF-8 (from a command line): QSaveFile would
        // write it under another name.
        return LocalFileNames::WriteAtomically(name, ToJson(settings), error);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    file.write(ToJson(settings));
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

std::optional<UnitSettings> Read(const QString& path, QString& error) {
    // Opened without waiting, and only a regular file: a FIFO or a device
    // would block, or never end.
    const int fd =
        ::open(LocalFileNames::Encode(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        error = QCoreApplication::translate("UnitSettingsFile", "not a regular file");
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        error = file.errorString();
        return std::nullopt;
    }
    // Never more than the limit into memory, whatever the file claims.
    const QByteArray text = file.read(kMaxBytes + 1);
    if (text.size() > kMaxBytes) {
        error = QCoreApplication::translate("UnitSettingsFile", "the file is larger than %1 MiB")
                    .arg(kMaxBytes >> 20);
        return std::nullopt;
    }
    return FromJson(text, error);
}

} // namespace quadrel::UnitSettingsFile
