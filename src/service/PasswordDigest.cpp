#include "service/PasswordDigest.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>

namespace quadrel::service::PasswordDigest {

QByteArray Derive(const QString& password, const QByteArray& salt, int iterations) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt,
                                              iterations, RolesFile::kHashBytes);
}

PasswordRecord Make(const QString& password, int iterations) {
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()),
                                          kSaltBytes / static_cast<int>(sizeof(quint32)));
    return {iterations, salt, Derive(password, salt, iterations)};
}

bool Matches(const PasswordRecord& record, const QString& password) {
    if (!record.isSet() || record.iterations <= 0) {
        return false;
    }
    const QByteArray key = Derive(password, record.salt, record.iterations);
    if (key.size() != record.hash.size()) {
        return false;
    }
    // Every byte is looked at, whatever the first difference.
    unsigned char differ = 0;
    for (qsizetype i = 0; i < key.size(); ++i) {
        differ |= static_cast<unsigned char>(key[i] ^ record.hash[i]);
    }
    return differ == 0;
}

} // namespace quadrel::service::PasswordDigest
