#pragma once

// A file's bytes written and read whole, for the tests of the files Quadrel keeps.
#include <QByteArray>
#include <QFile>
#include <QString>

namespace quadrel::test {

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// What the file holds, or "(none)" when it cannot be read.
inline QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}

} // namespace quadrel::test
