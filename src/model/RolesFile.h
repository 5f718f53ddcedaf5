#pragma once

#include "model/StaffRules.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <optional>

namespace quadrel {

// The technician's password as it is kept: a salted, slow hash only
// (PBKDF2-HMAC-SHA256), never the password.
struct PasswordRecord {
    int iterations = 0;
    QByteArray salt;
    QByteArray hash;

    bool isSet() const { return !hash.isEmpty(); }
    bool operator==(const PasswordRecord&) const = default;
};

// Everything about roles the technician decides: the password, whether the
// window starts locked, and what the staff may touch.
struct RolesConfig {
    PasswordRecord password;
    // The staff's PIN for the web panel, kept the same way; none by default.
    PasswordRecord staffPin;
    bool startLocked = false;
    StaffRules staff;

    bool operator==(const RolesConfig&) const = default;
};

// The roles in a file of their own (versioned JSON, read with limits,
// written atomically, readable by its owner only). The window and the
// network clients share it. A file that cannot be read, is damaged or comes
// from a newer Quadrel locks the window safe: staff with nothing allowed and
// no password that opens it, until the machine's user deletes the file.
class RolesFile {
    Q_DECLARE_TR_FUNCTIONS(RolesFile)

public:
    enum class State { Missing, Read, Damaged };
    struct Loaded {
        State state = State::Missing;
        RolesConfig config;
        QString problem; // for the operator, when damaged
    };

    // $XDG_CONFIG_HOME/Quadrel/roles.json, or ~/.config/Quadrel/roles.json.
    static QString DefaultFileName();

    static Loaded Load(const QString& fileName);
    static bool Save(const QString& fileName, const RolesConfig& config, QString& error);

    static QByteArray ToJson(const RolesConfig& config);
    static std::optional<RolesConfig> FromJson(const QByteArray& text, QString& error);

    static constexpr int kVersion = 1;
    static constexpr qint64 kMaxBytes = 256 << 10;
    static constexpr int kMaxUnitId = 31;
    static constexpr int kMaxPort = 255;
    static constexpr int kMaxScenes = 256;
    static constexpr int kMaxSceneName = 64;
    static constexpr int kMinIterations = 200000;
    static constexpr int kMaxIterations = 20000000;
    static constexpr int kMinSalt = 16;
    static constexpr int kMaxSalt = 64;
    static constexpr int kHashBytes = 32;
};

} // namespace quadrel
