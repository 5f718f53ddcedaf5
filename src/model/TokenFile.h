#pragma once

#include "model/StaffRules.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace quadrel {

// A token that lets a network client act on the line: who it was made for,
// with which role, and only a salted hash of its secret. The staff's outputs
// and scenes are those of the roles file.
struct TokenRecord {
    QString id;   // 8 hex digits, also the start of the token itself
    QString name; // what the technician called it ("Room 2 panel")
    Role role = Role::Staff;
    QByteArray salt;
    QByteArray hash; // SHA-256 of salt and secret
    QDateTime created;

    bool operator==(const TokenRecord&) const = default;
};

// The tokens in a file of their own beside the roles file: versioned JSON,
// read with limits, written atomically and readable by its owner only. A
// token is 32 random bytes, so a salted SHA-256 keeps it as safe as a slow
// hash would a password: nothing smaller than the secret can be guessed.
class TokenFile {
    Q_DECLARE_TR_FUNCTIONS(TokenFile)

public:
    // tokens.json beside roles.json.
    static QString DefaultFileName();
    explicit TokenFile(QString fileName);

    // Reads the file again when it changed since the last read (another
    // program made or revoked a token). A missing file holds no token; a
    // damaged one holds none either, and says why.
    bool Refresh(QString& error);
    const std::vector<TokenRecord>& tokens() const { return tokens_; }

    // Makes a token and writes the file: the secret is given back once and
    // kept nowhere.
    bool Create(const QString& name, Role role, QString& secret, TokenRecord& made, QString& error);
    // By its id or its name; false when none is, or the file cannot be written.
    bool Revoke(const QString& idOrName, QString& error);

    // The token whose secret this is. The hashes are compared in constant
    // time, and an unknown id costs the same hash.
    std::optional<TokenRecord> Verify(const QByteArray& secret) const;

    static QByteArray ToJson(const std::vector<TokenRecord>& tokens);
    static std::optional<std::vector<TokenRecord>> FromJson(const QByteArray& text, QString& error);
    static QByteArray Digest(const QByteArray& salt, const QByteArray& secret);

    static constexpr int kVersion = 1;
    static constexpr qint64 kMaxBytes = 256 << 10;
    static constexpr int kMaxTokens = 256;
    static constexpr int kMaxName = 64;
    static constexpr int kSecretBytes = 32;
    static constexpr int kSaltBytes = 16;

private:
    bool Save(const std::vector<TokenRecord>& tokens, QString& error);

    QString fileName_;
    std::vector<TokenRecord> tokens_;
    QDateTime readStamp_;
    qint64 readSize_ = -1;
};

} // namespace quadrel
