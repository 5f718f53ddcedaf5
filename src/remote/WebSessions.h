#pragma once

#include "model/StaffRules.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <map>
#include <optional>

namespace quadrel::remote {

// The web panel's logins: the staff's PIN or the technician's password, as
// the roles file holds them, opens a session named by a random cookie. The
// session carries a second secret the page sends back with every change,
// which a page of another site cannot read. Sessions end when logged out,
// after a quiet while, or after a working day at most; only the hashes of
// their names are kept.
class WebSessions {
public:
    using Clock = std::function<std::chrono::milliseconds()>;
    struct Opened {
        QByteArray cookie; // the session's name, for the cookie
        QByteArray csrf;
        Role role = Role::Staff;
    };
    struct Session {
        QByteArray csrf;
        Role role = Role::Staff;
        std::chrono::milliseconds born{};
        std::chrono::milliseconds used{};
    };

    // `clock` counts monotonic time; the steady clock unless a test gives one.
    explicit WebSessions(QString rolesFile, Clock clock = {});

    // Whose secret it is: the password's (technician) or the staff's PIN
    // (staff); nothing for anything else, or when the roles file cannot be
    // read. Slow on purpose, and touches nothing here: it runs off the
    // line's thread.
    static std::optional<Role> Verify(const QString& rolesFile, const QString& secret);
    // A new session for a role Verify gave. The oldest session gives way
    // when there are too many.
    Opened Open(Role role);
    const QString& rolesFile() const { return rolesFile_; }
    // The live session of that cookie, its quiet time restarted; nothing
    // for an unknown or expired one.
    std::optional<Session> Find(const QByteArray& cookie);
    void Logout(const QByteArray& cookie);
    int count() const { return static_cast<int>(sessions_.size()); }

    // Whether two secrets are equal, every byte looked at.
    static bool Same(const QByteArray& a, const QByteArray& b);

    static constexpr std::chrono::milliseconds kIdle = std::chrono::minutes(30);
    static constexpr std::chrono::milliseconds kLongest = std::chrono::hours(12);
    static constexpr int kMostSessions = 64;

private:
    static QByteArray Key(const QByteArray& cookie);
    void Expire();

    QString rolesFile_;
    Clock clock_;
    std::map<QByteArray, Session> sessions_; // by the hash of the cookie
};

} // namespace quadrel::remote
