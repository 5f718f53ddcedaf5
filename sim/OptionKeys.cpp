#include "sim/OptionKeys.h"

#include <QStringList>

#include <set>

namespace quadrel::sim::OptionKeys {
namespace {

bool ToInt(const QString& value, int low, int high, int& out, const QString& key, QString& error) {
    bool ok = false;
    const int v = value.trimmed().toInt(&ok);
    if (!ok || v < low || v > high) {
        error = QStringLiteral("%1 wants a whole number from %2 to %3, not '%4'")
                    .arg(key)
                    .arg(low)
                    .arg(high)
                    .arg(value);
        return false;
    }
    out = v;
    return true;
}

bool ToBool(const QString& value, bool& out, const QString& key, QString& error) {
    const QString v = value.trimmed().toLower();
    if (v == u"1" || v == u"yes" || v == u"true" || v == u"on") {
        out = true;
        return true;
    }
    if (v == u"0" || v == u"no" || v == u"false" || v == u"off") {
        out = false;
        return true;
    }
    error = QStringLiteral("%1 wants yes or no, not '%2'").arg(key, value);
    return false;
}

bool ToRate(const QString& value, double& out, const QString& key, QString& error) {
    bool ok = false;
    const double v = value.trimmed().toDouble(&ok);
    if (!ok || v < 0 || v > 1) {
        error = QStringLiteral("%1 wants a chance from 0 to 1, not '%2'").arg(key, value);
        return false;
    }
    out = v;
    return true;
}

bool ToFirmware(const QString& value, UnitConfig& u, QString& error) {
    const QStringList parts = value.trimmed().split(QLatin1Char('.'));
    int major = 0, minor = 0, revision = 0;
    if (parts.size() != 3 || !ToInt(parts[0], 0, 15, major, QStringLiteral("firmware"), error) ||
        !ToInt(parts[1], 0, 15, minor, QStringLiteral("firmware"), error) ||
        !ToInt(parts[2], 0, 255, revision, QStringLiteral("firmware"), error)) {
        error = QStringLiteral("firmware wants major.minor.revision (0-15, 0-15, 0-255), not '%1'")
                    .arg(value);
        return false;
    }
    u.firmwareMajor = static_cast<uint8_t>(major);
    u.firmwareMinor = static_cast<uint8_t>(minor);
    u.firmwareRevision = static_cast<uint8_t>(revision);
    return true;
}

bool ToPlugKind(const QString& text, PlugKind& kind) {
    static const std::pair<const char*, PlugKind> kKinds[] = {
        {"vin", PlugKind::VideoInput},
        {"ain", PlugKind::AudioInput},
        {"vout", PlugKind::VideoOutput},
        {"aout", PlugKind::AudioOutput},
    };
    for (const auto& [name, k] : kKinds) {
        if (text == QLatin1String(name)) {
            kind = k;
            return true;
        }
    }
    return false;
}

// "ms:kind:port:0|1;..." into plug events.
bool ToPlugSchedule(const QString& value, UnitConfig& u, QString& error) {
    for (const QString& item : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList f = item.trimmed().split(QLatin1Char(':'));
        PlugEvent e;
        bool plugged = false;
        if (f.size() != 4 ||
            !ToInt(f[0], 0, 86'400'000, e.atMs, QStringLiteral("plug-at"), error) ||
            !ToPlugKind(f[1].trimmed(), e.kind) ||
            !ToInt(f[2], 1, 255, e.port, QStringLiteral("plug-at"), error) ||
            !ToBool(f[3], plugged, QStringLiteral("plug-at"), error)) {
            error =
                QStringLiteral("plug-at wants ms:vin|ain|vout|aout:port:0|1, not '%1'").arg(item);
            return false;
        }
        e.plugged = plugged;
        u.plugSchedule.push_back(e);
    }
    return true;
}

// Splits "a=1,b=2" into pairs; false on an item without '='.
bool SplitPairs(const QString& text, std::vector<std::pair<QString, QString>>& pairs,
                QString& error) {
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            error = QStringLiteral("'%1' is not key=value").arg(item);
            return false;
        }
        pairs.emplace_back(item.left(eq).trimmed(), item.mid(eq + 1).trimmed());
    }
    return true;
}

} // namespace

bool IsFaultKey(const QString& key) {
    static const QStringList kKeys = {
        QStringLiteral("lost"),         QStringLiteral("corrupt"),
        QStringLiteral("noise"),        QStringLiteral("split"),
        QStringLiteral("late"),         QStringLiteral("wrong-id"),
        QStringLiteral("out-of-range"), QStringLiteral("empty"),
        QStringLiteral("noise-bytes"),  QStringLiteral("split-pieces"),
        QStringLiteral("split-gap"),    QStringLiteral("late-ms"),
        QStringLiteral("silent"),       QStringLiteral("silent-after"),
        QStringLiteral("silent-for"),   QStringLiteral("chatter"),
        QStringLiteral("chatter-ms"),   QStringLiteral("foreign"),
        QStringLiteral("foreign-ms"),   QStringLiteral("echo"),
        QStringLiteral("echo-ms"),      QStringLiteral("deaf"),
    };
    return kKeys.contains(key);
}

bool ApplyFaultKey(FaultConfig& f, const QString& key, const QString& value, QString& error) {
    const std::pair<const char*, double*> rates[] = {
        {"lost", &f.lost},
        {"corrupt", &f.corrupt},
        {"noise", &f.noise},
        {"split", &f.split},
        {"late", &f.late},
        {"wrong-id", &f.wrongId},
        {"out-of-range", &f.outOfRange},
        {"empty", &f.empty},
        {"chatter", &f.chatter},
        {"foreign", &f.foreign},
        {"echo", &f.echo},
    };
    for (const auto& [name, field] : rates) {
        if (key == QLatin1String(name)) {
            return ToRate(value, *field, key, error);
        }
    }
    const std::tuple<const char*, int*, int, int> ints[] = {
        {"noise-bytes", &f.noiseBytes, 1, 64},
        {"split-pieces", &f.splitPieces, 2, 16},
        {"split-gap", &f.splitGapMs, 0, 10'000},
        {"late-ms", &f.lateMs, 0, 10'000},
        {"silent-after", &f.silentAfterFrames, 0, 1'000'000},
        {"silent-for", &f.silentForMs, 0, 86'400'000},
        {"chatter-ms", &f.chatterMs, 1, 60'000},
        {"foreign-ms", &f.foreignMs, 0, 10'000},
        {"echo-ms", &f.echoMs, 0, 10'000},
    };
    for (const auto& [name, field, low, high] : ints) {
        if (key == QLatin1String(name)) {
            return ToInt(value, low, high, *field, key, error);
        }
    }
    if (key == u"silent") {
        return ToBool(value, f.silent, key, error);
    }
    if (key == u"deaf") {
        return ToBool(value, f.deaf, key, error);
    }
    error = QStringLiteral("unknown fault '%1'").arg(key);
    return false;
}

bool ApplyUnitKey(UnitConfig& u, const QString& key, const QString& value, QString& error) {
    if (IsFaultKey(key)) {
        if (!u.faults) {
            u.faults = FaultConfig{};
        }
        return ApplyFaultKey(*u.faults, key, value, error);
    }
    int n = 0;
    if (key == u"id") {
        if (!ToInt(value, 0, 31, n, key, error)) {
            return false;
        }
        u.id = static_cast<uint8_t>(n);
        return true;
    }
    if (key == u"name") {
        const QByteArray bytes = value.toLatin1();
        u.name.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
        return true;
    }
    if (key == u"sections") {
        const QString v = value.trimmed().toLower();
        if (v != u"av" && v != u"a" && v != u"v" && v != u"none") {
            error = QStringLiteral("sections wants av, a, v or none, not '%1'").arg(value);
            return false;
        }
        u.audio = v.contains(QLatin1Char('a'));
        u.video = v.contains(QLatin1Char('v'));
        return true;
    }
    if (key == u"delay-step") {
        if (!ToInt(value, 5, 10, n, key, error) || (n != 5 && n != 10)) {
            error = QStringLiteral("delay-step is 5 or 10, not '%1'").arg(value);
            return false;
        }
        u.delayStepMs = n;
        return true;
    }
    if (key == u"max-delay") {
        if (!ToInt(value, 0, 25'500, n, key, error) || n % 100 != 0) {
            error = QStringLiteral("max-delay wants ms in steps of 100 up to 25500, not '%1'")
                        .arg(value);
            return false;
        }
        u.maxDelayTenths = n / 100;
        return true;
    }
    if (key == u"firmware") {
        return ToFirmware(value, u, error);
    }
    if (key == u"plug-at") {
        return ToPlugSchedule(value, u, error);
    }
    const std::tuple<const char*, int*, int, int> ints[] = {
        {"inputs", &u.inputs, 1, 255},
        {"outputs", &u.outputs, 1, 255},
        {"memories", &u.memories, 0, 15},
        {"plug-period", &u.plugPeriodMs, 0, 86'400'000},
    };
    for (const auto& [name, field, low, high] : ints) {
        if (key == QLatin1String(name)) {
            return ToInt(value, low, high, *field, key, error);
        }
    }
    const std::pair<const char*, bool*> flags[] = {
        {"extended", &u.extendedInfo},
        {"volume", &u.volume},
        {"bass", &u.bass},
        {"treble", &u.treble},
        {"subwoofer", &u.subwoofer},
        {"delay", &u.delay},
        {"edid", &u.edidSelect},
        {"plug-video-in", &u.videoInputPlug},
        {"plug-audio-in", &u.audioInputPlug},
        {"plug-video-out", &u.videoOutputPlug},
        {"plug-audio-out", &u.audioOutputPlug},
        {"firmware-readable", &u.firmwareReadable},
        {"long-frames", &u.longFrames},
    };
    for (const auto& [name, field] : flags) {
        if (key == QLatin1String(name)) {
            return ToBool(value, *field, key, error);
        }
    }
    error = QStringLiteral("unknown unit key '%1'").arg(key);
    return false;
}

bool ApplyLineKey(SimOptions& o, const QString& key, const QString& value, QString& error) {
    int n = 0;
    if (key == u"port") {
        return ToInt(value, 1, 255, o.port, key, error);
    }
    if (key == u"baud") {
        if (!ToInt(value, 1, 1'000'000, n, key, error) || (n != 9600 && n != 19200)) {
            error = QStringLiteral("baud is 9600 or 19200, not '%1'").arg(value);
            return false;
        }
        o.line.baud = n;
        return true;
    }
    if (key == u"latency") {
        if (!ToInt(value, 0, 10'000, n, key, error)) {
            return false;
        }
        o.line.latency = std::chrono::milliseconds(n);
        return true;
    }
    if (key == u"chunk-ms") {
        return ToInt(value, 0, 1000, o.line.chunkMs, key, error);
    }
    if (key == u"seed") {
        bool ok = false;
        const qulonglong seed = value.trimmed().toULongLong(&ok);
        if (!ok) {
            error = QStringLiteral("seed wants a whole number, not '%1'").arg(value);
            return false;
        }
        o.line.seed = seed;
        return true;
    }
    if (key == u"trace") {
        return ToBool(value, o.trace, key, error);
    }
    if (IsFaultKey(key)) {
        return ApplyFaultKey(o.line.faults, key, value, error);
    }
    error = QStringLiteral("unknown line key '%1'").arg(key);
    return false;
}

bool ParseUnitKeys(const QString& text, UnitConfig& unit, QString& error) {
    std::vector<std::pair<QString, QString>> pairs;
    if (!SplitPairs(text, pairs, error)) {
        return false;
    }
    bool hasId = false;
    for (const auto& [key, value] : pairs) {
        hasId = hasId || key == u"id";
        if (!ApplyUnitKey(unit, key, value, error)) {
            return false;
        }
    }
    if (!hasId) {
        error = QStringLiteral("a unit needs id=0..31");
        return false;
    }
    return true;
}

bool ParseFaultKeys(const QString& text, FaultConfig& faults, QString& error) {
    std::vector<std::pair<QString, QString>> pairs;
    if (!SplitPairs(text, pairs, error)) {
        return false;
    }
    for (const auto& [key, value] : pairs) {
        if (!ApplyFaultKey(faults, key, value, error)) {
            return false;
        }
    }
    return true;
}

bool Validate(const SimOptions& options, QString& error) {
    std::set<int> ids;
    for (const UnitConfig& u : options.units) {
        if (!ids.insert(u.id).second) {
            error = QStringLiteral("two units have id %1").arg(u.id);
            return false;
        }
        if (u.delay && u.maxDelayLevel() == 0) {
            error = QStringLiteral("unit %1 has delay control but max-delay 0").arg(u.id);
            return false;
        }
    }
    return true;
}

} // namespace quadrel::sim::OptionKeys
