#include "remote/Gatekeeper.h"

#include "model/RolesFile.h"

namespace quadrel::remote {

Gatekeeper::Gatekeeper(QString tokensFile, QString rolesFile)
    : tokens_(std::move(tokensFile)), rolesFile_(std::move(rolesFile)) {}

std::optional<Caller> Gatekeeper::Check(const QByteArray& secret) {
    QByteArray token = secret.trimmed();
    if (token.startsWith("Bearer ")) {
        token = token.mid(7).trimmed();
    }
    QString error;
    // A damaged file has no tokens: nobody is let in until it is mended.
    tokens_.Refresh(error);
    if (token.isEmpty() || token.size() > 256) {
        return std::nullopt;
    }
    const auto record = tokens_.Verify(token);
    if (!record) {
        return std::nullopt;
    }
    Caller caller{record->name, record->role, {}};
    if (caller.role == Role::Staff) {
        caller.staff = Staff();
    }
    return caller;
}

StaffRules Gatekeeper::Staff() const {
    const RolesFile::Loaded roles = RolesFile::Load(rolesFile_);
    return roles.state == RolesFile::State::Read ? roles.config.staff : StaffRules{};
}

int Gatekeeper::DelayMs(const QHostAddress& peer) const {
    const auto it = failures_.find(peer.toString());
    if (it == failures_.end() || it->second.last.elapsed() > kForgetMs) {
        return 0;
    }
    const int shift = std::min(it->second.count - 1, 5);
    const int wait = std::min(kFirstDelayMs << shift, kMostDelayMs);
    return std::max<int>(0, wait - static_cast<int>(it->second.last.elapsed()));
}

void Gatekeeper::Failed(const QHostAddress& peer) {
    if (failures_.size() >= kMostAddresses) {
        for (auto it = failures_.begin(); it != failures_.end();) {
            it = it->second.last.elapsed() > kForgetMs ? failures_.erase(it) : std::next(it);
        }
        if (failures_.size() >= kMostAddresses) {
            failures_.erase(failures_.begin());
        }
    }
    Failures& f = failures_[peer.toString()];
    if (f.last.isValid() && f.last.elapsed() > kForgetMs) {
        f.count = 0;
    }
    ++f.count;
    f.last.start();
}

} // namespace quadrel::remote
