#pragma once

#include <QByteArray>
#include <QString>

namespace quadrel {

// File names as the system holds them: bytes, mostly UTF-8 but not always.
// Qt decodes a name that is not UTF-8 with replacement characters, so two
// different names given on a command line become one. Here each byte that is
// not part of valid UTF-8 becomes a code unit of its own (U+DC80 to U+DCFF,
// which valid UTF-8 never yields) and turns back into that same byte.
namespace LocalFileNames {

QString Decode(const QByteArray& bytes);
// The name's bytes: UTF-8, with each kept byte put back in its place.
QByteArray Encode(const QString& name);

// Writes `content` to a file named by its bytes as QSaveFile would: into a
// new file beside it, flushed to disk, then renamed over it, so a crash or a
// failure leaves the old file whole. An existing file keeps its permissions.
bool WriteAtomically(const QByteArray& path, const QByteArray& content, QString& error);

} // namespace LocalFileNames

} // namespace quadrel
