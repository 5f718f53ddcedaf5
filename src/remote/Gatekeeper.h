#pragma once

#include "model/StaffRules.h"
#include "model/TokenFile.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QString>

#include <map>
#include <optional>

namespace quadrel::remote {

// Who is at the door: the token shown, and what its role may touch.
struct Caller {
    QString token; // its name, for the owner's status line; never the secret
    Role role = Role::Staff;
    StaffRules staff;
};

// Checks the tokens of every network door and slows down those who guess:
// each failed attempt from an address doubles the wait before that
// address's next request is looked at, up to a few seconds, and is
// forgotten after a quiet while. The tokens file and the roles file are
// read again when they change, so a token revoked by quadrel-ctl stops
// working at the next request.
class Gatekeeper {
public:
    Gatekeeper(QString tokensFile, QString rolesFile);

    // "Bearer <token>" or the bare token.
    std::optional<Caller> Check(const QByteArray& secret);
    // How long to hold a request from `peer` before looking at it.
    int DelayMs(const QHostAddress& peer) const;
    void Failed(const QHostAddress& peer);
    // The staff's rules as the roles file holds them now; nothing allowed
    // when it cannot be read.
    StaffRules Staff() const;

    static constexpr int kFirstDelayMs = 250;
    static constexpr int kMostDelayMs = 8000;
    static constexpr int kForgetMs = 10 * 60 * 1000;
    static constexpr int kMostAddresses = 4096;

private:
    struct Failures {
        int count = 0;
        QElapsedTimer last;
    };
    TokenFile tokens_;
    QString rolesFile_;
    std::map<QString, Failures> failures_;
};

} // namespace quadrel::remote
