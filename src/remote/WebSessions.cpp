#include "remote/WebSessions.h"

#include "model/RolesFile.h"
#include "service/PasswordDigest.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

namespace quadrel::remote {

namespace {

QByteArray Random(int words) {
    QByteArray bytes(words * static_cast<int>(sizeof(quint32)), Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()), words);
    return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

} // namespace

WebSessions::WebSessions(QString rolesFile, Clock clock)
    : rolesFile_(std::move(rolesFile)), clock_(std::move(clock)) {
    if (!clock_) {
        clock_ = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now().time_since_epoch());
        };
    }
}

QByteArray WebSessions::Key(const QByteArray& cookie) {
    return QCryptographicHash::hash(cookie, QCryptographicHash::Sha256);
}

bool WebSessions::Same(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size()) {
        return false;
    }
    unsigned char differ = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        differ |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return differ == 0;
}

void WebSessions::Expire() {
    const auto now = clock_();
    std::erase_if(sessions_, [now](const auto& entry) {
        return now - entry.second.used >= kIdle || now - entry.second.born >= kLongest;
    });
}

std::optional<Role> WebSessions::Verify(const QString& rolesFile, const QString& secret) {
    const RolesFile::Loaded roles = RolesFile::Load(rolesFile);
    if (roles.state != RolesFile::State::Read || secret.isEmpty()) {
        return std::nullopt;
    }
    // Both are tried whatever the first gives, so the time taken does not
    // tell which one a guess was near.
    const bool technician = service::PasswordDigest::Matches(roles.config.password, secret);
    const bool staff = service::PasswordDigest::Matches(roles.config.staffPin, secret);
    if (technician) {
        return Role::Technician;
    }
    if (staff) {
        return Role::Staff;
    }
    return std::nullopt;
}

WebSessions::Opened WebSessions::Open(Role role) {
    Expire();
    while (sessions_.size() >= static_cast<size_t>(kMostSessions)) {
        auto oldest = sessions_.begin();
        for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
            if (it->second.used < oldest->second.used) {
                oldest = it;
            }
        }
        sessions_.erase(oldest);
    }
    const Opened opened{Random(8), Random(8), role};
    const auto now = clock_();
    sessions_[Key(opened.cookie)] = {opened.csrf, role, now, now};
    return opened;
}

std::optional<WebSessions::Session> WebSessions::Find(const QByteArray& cookie) {
    Expire();
    const auto it = sessions_.find(Key(cookie));
    if (cookie.isEmpty() || it == sessions_.end()) {
        return std::nullopt;
    }
    it->second.used = clock_();
    return it->second;
}

void WebSessions::Logout(const QByteArray& cookie) {
    sessions_.erase(Key(cookie));
}

} // namespace quadrel::remote
