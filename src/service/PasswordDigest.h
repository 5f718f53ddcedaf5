#pragma once

#include "model/RolesFile.h"

#include <QString>

namespace quadrel::service {

// The technician's password, kept only as PBKDF2-HMAC-SHA256 over a random
// salt with many iterations, so a copied roles file is slow to try.
namespace PasswordDigest {

constexpr int kIterations = 210000;
constexpr int kSaltBytes = 16;

// A fresh record: a new salt from the system's random source every time.
PasswordRecord Make(const QString& password, int iterations = kIterations);
// Whether `password` is the one the record was made from, compared in
// constant time. A record not set matches nothing.
bool Matches(const PasswordRecord& record, const QString& password);
// The derived key, as the record keeps it.
QByteArray Derive(const QString& password, const QByteArray& salt, int iterations);

} // namespace PasswordDigest

} // namespace quadrel::service
