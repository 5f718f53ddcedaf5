#include "model/RolesFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace quadrel {

namespace {

const QString kFormat = QStringLiteral("quadrel-roles");
const QString kKdf = QStringLiteral("pbkdf2-sha256");

QString L(const char* key) {
    return QString::fromLatin1(key);
}

std::optional<int> Whole(const QJsonValue& v, int low, int high) {
    if (!v.isDouble() || v.toDouble() != static_cast<double>(v.toInt()) || v.toInt() < low ||
        v.toInt() > high) {
        return std::nullopt;
    }
    return v.toInt();
}

bool ReadPassword(const QJsonValue& value, PasswordRecord& out) {
    if (value.isNull() || value.isUndefined()) {
        return true; // none set
    }
    const QJsonObject o = value.toObject();
    const auto iterations =
        Whole(o.value(L("iterations")), RolesFile::kMinIterations, RolesFile::kMaxIterations);
    const QByteArray salt = QByteArray::fromBase64(o.value(L("salt")).toString().toLatin1());
    const QByteArray hash = QByteArray::fromBase64(o.value(L("hash")).toString().toLatin1());
    if (!value.isObject() || o.value(L("kdf")).toString() != kKdf || !iterations ||
        salt.size() < RolesFile::kMinSalt || salt.size() > RolesFile::kMaxSalt ||
        hash.size() != RolesFile::kHashBytes) {
        return false;
    }
    out = {*iterations, salt, hash};
    return true;
}

bool ReadStaff(const QJsonObject& o, StaffRules& staff, QString& error) {
    const QJsonArray units = o.value(L("units")).toArray();
    if (units.size() > RolesFile::kMaxUnitId + 1) {
        error = RolesFile::tr("too many units");
        return false;
    }
    for (const QJsonValue& u : units) {
        const auto id = Whole(u.toObject().value(L("id")), 0, RolesFile::kMaxUnitId);
        const QJsonArray ports = u.toObject().value(L("outputs")).toArray();
        if (!id || staff.outputs.count(*id) != 0 || ports.size() > RolesFile::kMaxPort) {
            error = RolesFile::tr("a unit of the staff is damaged");
            return false;
        }
        std::set<int>& outputs = staff.outputs[*id];
        for (const QJsonValue& p : ports) {
            const auto port = Whole(p, 1, RolesFile::kMaxPort);
            if (!port) {
                error = RolesFile::tr("an output of the staff is out of range");
                return false;
            }
            outputs.insert(*port);
        }
    }
    const QJsonArray scenes = o.value(L("scenes")).toArray();
    if (scenes.size() > RolesFile::kMaxScenes) {
        error = RolesFile::tr("too many scenes");
        return false;
    }
    for (const QJsonValue& s : scenes) {
        if (!s.isString() || s.toString().isEmpty() ||
            s.toString().size() > RolesFile::kMaxSceneName) {
            error = RolesFile::tr("a scene name is damaged");
            return false;
        }
        staff.scenes.insert(s.toString());
    }
    for (const QJsonValue& g : o.value(L("granted")).toArray()) {
        Action action{};
        // A name this version does not know grants nothing.
        if (g.isString() && StaffRules::FromKey(g.toString(), action) &&
            StaffRules::Grantable(action)) {
            staff.granted.insert(action);
        }
    }
    return true;
}

} // namespace

QString RolesFile::DefaultFileName() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The base directory convention: a relative path is to be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QStringLiteral("/Quadrel/roles.json");
}

QByteArray RolesFile::ToJson(const RolesConfig& c) {
    QJsonObject o;
    o.insert(L("format"), kFormat);
    o.insert(L("version"), kVersion);
    for (const auto& [key, record] :
         {std::pair{"password", &c.password}, std::pair{"staffPin", &c.staffPin}}) {
        if (record->isSet()) {
            QJsonObject p;
            p.insert(L("kdf"), kKdf);
            p.insert(L("iterations"), record->iterations);
            p.insert(L("salt"), QString::fromLatin1(record->salt.toBase64()));
            p.insert(L("hash"), QString::fromLatin1(record->hash.toBase64()));
            o.insert(L(key), p);
        }
    }
    o.insert(L("startLocked"), c.startLocked);
    QJsonArray units;
    for (const auto& [id, outputs] : c.staff.outputs) {
        QJsonArray ports;
        for (int port : outputs) {
            ports.append(port);
        }
        units.append(QJsonObject{{L("id"), id}, {L("outputs"), ports}});
    }
    QJsonArray scenes;
    for (const QString& s : c.staff.scenes) {
        scenes.append(s);
    }
    QJsonArray granted;
    for (Action a : c.staff.granted) {
        granted.append(StaffRules::Key(a));
    }
    o.insert(L("staff"),
             QJsonObject{{L("units"), units}, {L("scenes"), scenes}, {L("granted"), granted}});
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

std::optional<RolesConfig> RolesFile::FromJson(const QByteArray& text, QString& error) {
    if (text.size() > kMaxBytes) {
        error = tr("the file is larger than %1 KiB").arg(kMaxBytes >> 10);
        return std::nullopt;
    }
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parse);
    const QJsonObject o = doc.object();
    if (parse.error != QJsonParseError::NoError || !doc.isObject() ||
        o.value(L("format")).toString() != kFormat) {
        error = tr("not a roles file of Quadrel");
        return std::nullopt;
    }
    const auto version = Whole(o.value(L("version")), 1, 1 << 20);
    if (!version || *version > kVersion) {
        error = tr("written by a newer Quadrel (format %1)").arg(o.value(L("version")).toInt());
        return std::nullopt;
    }
    RolesConfig c;
    if (!ReadPassword(o.value(L("password")), c.password)) {
        error = tr("the password's record is damaged");
        return std::nullopt;
    }
    if (!ReadPassword(o.value(L("staffPin")), c.staffPin)) {
        error = tr("the staff PIN's record is damaged");
        return std::nullopt;
    }
    const QJsonValue locked = o.value(L("startLocked"));
    if (!locked.isBool() && !locked.isUndefined()) {
        error = tr("\"startLocked\" is not true or false");
        return std::nullopt;
    }
    c.startLocked = locked.toBool();
    if (!ReadStaff(o.value(L("staff")).toObject(), c.staff, error)) {
        return std::nullopt;
    }
    return c;
}

RolesFile::Loaded RolesFile::Load(const QString& fileName) {
    Loaded out;
    QFile file(fileName);
    if (!file.exists()) {
        return out;
    }
    out.state = State::Damaged;
    QString error;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
    } else if (auto read = FromJson(file.read(kMaxBytes + 1), error)) {
        out.state = State::Read;
        out.config = std::move(*read);
        return out;
    }
    out.problem = tr("The roles file %1 could not be used (%2). The window stays locked; "
                     "to start again, delete the file as the user who runs Quadrel.")
                      .arg(fileName, error);
    return out;
}

bool RolesFile::Save(const QString& fileName, const RolesConfig& config, QString& error) {
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QSaveFile file(fileName);
    // Only the owner reads it: the hash is slow to try, not impossible.
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(ToJson(config)) < 0 || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace quadrel
