#include "model/TokenFile.h"

#include "model/RolesFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QSet>

namespace quadrel {

namespace {

const QString kFormat = QStringLiteral("quadrel-tokens");
// "qdl1-<id>-<secret>": the id finds the record, the secret is checked.
const QByteArray kPrefix = QByteArrayLiteral("qdl1-");
constexpr int kIdLength = 8;
constexpr auto kBase64 = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;

QString L(const char* key) {
    return QString::fromLatin1(key);
}

QByteArray RandomBytes(int count) {
    QByteArray bytes(count, Qt::Uninitialized);
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    return bytes;
}

bool SameBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size()) {
        return false;
    }
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return diff == 0;
}

bool IsId(const QString& id) {
    if (id.size() != kIdLength) {
        return false;
    }
    for (QChar c : id) {
        if (!c.isDigit() && (c < QLatin1Char('a') || c > QLatin1Char('f'))) {
            return false;
        }
    }
    return true;
}

} // namespace

QString TokenFile::DefaultFileName() {
    return QFileInfo(RolesFile::DefaultFileName()).absolutePath() + QStringLiteral("/tokens.json");
}

TokenFile::TokenFile(QString fileName) : fileName_(std::move(fileName)) {}

QByteArray TokenFile::Digest(const QByteArray& salt, const QByteArray& secret) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(salt);
    hash.addData(secret);
    return hash.result();
}

QByteArray TokenFile::ToJson(const std::vector<TokenRecord>& tokens) {
    QJsonArray list;
    for (const TokenRecord& t : tokens) {
        list.append(QJsonObject{
            {L("id"), t.id},
            {L("name"), t.name},
            {L("role"), t.role == Role::Technician ? L("technician") : L("staff")},
            {L("salt"), QString::fromLatin1(t.salt.toBase64())},
            {L("sha256"), QString::fromLatin1(t.hash.toBase64())},
            {L("created"), t.created.toUTC().toString(Qt::ISODate)},
        });
    }
    return QJsonDocument(
               QJsonObject{{L("format"), kFormat}, {L("version"), kVersion}, {L("tokens"), list}})
        .toJson(QJsonDocument::Indented);
}

std::optional<std::vector<TokenRecord>> TokenFile::FromJson(const QByteArray& text,
                                                            QString& error) {
    if (text.size() > kMaxBytes) {
        error = tr("the file is larger than %1 KiB").arg(kMaxBytes >> 10);
        return std::nullopt;
    }
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parse);
    const QJsonObject o = doc.object();
    if (parse.error != QJsonParseError::NoError || o.value(L("format")).toString() != kFormat) {
        error = tr("not a tokens file of Quadrel");
        return std::nullopt;
    }
    if (o.value(L("version")).toInt() > kVersion || o.value(L("version")).toInt() < 1) {
        error = tr("written by a newer Quadrel (format %1)").arg(o.value(L("version")).toInt());
        return std::nullopt;
    }
    const QJsonArray list = o.value(L("tokens")).toArray();
    if (list.size() > kMaxTokens) {
        error = tr("more than %1 tokens").arg(kMaxTokens);
        return std::nullopt;
    }
    std::vector<TokenRecord> out;
    QSet<QString> ids;
    for (const QJsonValue& v : list) {
        const QJsonObject t = v.toObject();
        TokenRecord r;
        r.id = t.value(L("id")).toString();
        r.name = t.value(L("name")).toString();
        const QString role = t.value(L("role")).toString();
        r.role = role == L("technician") ? Role::Technician : Role::Staff;
        r.salt = QByteArray::fromBase64(t.value(L("salt")).toString().toLatin1());
        r.hash = QByteArray::fromBase64(t.value(L("sha256")).toString().toLatin1());
        r.created = QDateTime::fromString(t.value(L("created")).toString(), Qt::ISODate);
        if (!IsId(r.id) || ids.contains(r.id) || r.name.size() > kMaxName ||
            (role != L("technician") && role != L("staff")) || r.salt.size() != kSaltBytes ||
            r.hash.size() != 32) {
            error = tr("a token is damaged");
            return std::nullopt;
        }
        ids.insert(r.id);
        out.push_back(std::move(r));
    }
    return out;
}

bool TokenFile::Refresh(QString& error) {
    const QFileInfo info(fileName_);
    if (!info.exists()) {
        tokens_.clear();
        readStamp_ = {};
        readSize_ = -1;
        return true;
    }
    if (info.lastModified() == readStamp_ && info.size() == readSize_) {
        return true;
    }
    QFile file(fileName_);
    // Nothing until it reads: a damaged file lets nobody in.
    tokens_.clear();
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    auto read = FromJson(file.read(kMaxBytes + 1), error);
    if (!read) {
        return false;
    }
    tokens_ = std::move(*read);
    readStamp_ = info.lastModified();
    readSize_ = info.size();
    return true;
}

bool TokenFile::Save(const std::vector<TokenRecord>& tokens, QString& error) {
    QDir().mkpath(QFileInfo(fileName_).absolutePath());
    QSaveFile file(fileName_);
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(ToJson(tokens)) < 0 || !file.commit()) {
        error = file.errorString();
        return false;
    }
    tokens_ = tokens;
    const QFileInfo info(fileName_);
    readStamp_ = info.lastModified();
    readSize_ = info.size();
    return true;
}

bool TokenFile::Create(const QString& name, Role role, QString& secret, TokenRecord& made,
                       QString& error) {
    if (!Refresh(error)) {
        return false;
    }
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > kMaxName) {
        error = tr("a token's name is 1 to %1 characters").arg(kMaxName);
        return false;
    }
    if (static_cast<int>(tokens_.size()) >= kMaxTokens) {
        error = tr("there are %1 tokens, the most there may be").arg(kMaxTokens);
        return false;
    }
    for (const TokenRecord& t : tokens_) {
        if (t.name == trimmed) {
            error = tr("there is already a token called “%1”").arg(trimmed);
            return false;
        }
    }
    TokenRecord r;
    do {
        r.id = QString::fromLatin1(RandomBytes(kIdLength / 2).toHex());
    } while (std::any_of(tokens_.begin(), tokens_.end(),
                         [&r](const TokenRecord& t) { return t.id == r.id; }));
    r.name = trimmed;
    r.role = role;
    r.salt = RandomBytes(kSaltBytes);
    const QByteArray key = RandomBytes(kSecretBytes).toBase64(kBase64);
    const QByteArray whole = kPrefix + r.id.toLatin1() + '-' + key;
    r.hash = Digest(r.salt, whole);
    r.created = QDateTime::currentDateTimeUtc();
    std::vector<TokenRecord> next = tokens_;
    next.push_back(r);
    if (!Save(next, error)) {
        return false;
    }
    secret = QString::fromLatin1(whole);
    made = r;
    return true;
}

bool TokenFile::Revoke(const QString& idOrName, QString& error) {
    if (!Refresh(error)) {
        return false;
    }
    std::vector<TokenRecord> next;
    for (const TokenRecord& t : tokens_) {
        if (t.id != idOrName && t.name != idOrName) {
            next.push_back(t);
        }
    }
    if (next.size() == tokens_.size()) {
        error = tr("no token is called “%1”").arg(idOrName);
        return false;
    }
    return Save(next, error);
}

std::optional<TokenRecord> TokenFile::Verify(const QByteArray& secret) const {
    static const QByteArray kNoSalt(kSaltBytes, '\0');
    const QString id = secret.startsWith(kPrefix)
                           ? QString::fromLatin1(secret.mid(kPrefix.size(), kIdLength))
                           : QString();
    const TokenRecord* found = nullptr;
    for (const TokenRecord& t : tokens_) {
        if (t.id == id) {
            found = &t;
        }
    }
    const QByteArray digest = Digest(found != nullptr ? found->salt : kNoSalt, secret);
    if (found == nullptr || !SameBytes(digest, found->hash)) {
        return std::nullopt;
    }
    return *found;
}

} // namespace quadrel
