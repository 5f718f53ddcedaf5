#pragma once

#include <QString>
#include <QStringList>

namespace quadrel::test {

// Root ignores file permissions, so a refusal can only be tried on an
// ordinary user. These run a disabled test of this same program as the user
// nobody (uid and gid 65534, through setpriv).
bool RunningAsRoot();

// Runs `test` (Suite.DISABLED_Name) alone in a fresh copy of this program as
// nobody, with `env` ("NAME=value") added; returns its exit code, -1 when it
// did not run or end within a minute.
int RunTestAsNobody(const QString& test, const QStringList& env);

// Opens `path` and every folder above it to others, so that nobody can reach it.
void OpenToOthers(const QString& path);

} // namespace quadrel::test
