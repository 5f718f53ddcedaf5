#include "support/AsNobody.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <unistd.h>

namespace quadrel::test {

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

int RunTestAsNobody(const QString& test, const QStringList& env) {
    QProcess child;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    // Root's home and runtime folder are closed to nobody.
    e.insert(QStringLiteral("HOME"), QDir::tempPath());
    e.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    for (const QString& pair : env) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        e.insert(pair.left(eq), pair.mid(eq + 1));
    }
    child.setProcessEnvironment(e);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QStringLiteral("setpriv"),
                {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                 QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                 QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=") + test});
    if (!child.waitForStarted(10000)) {
        return -1;
    }
    if (!child.waitForFinished(60000)) {
        child.kill();
        child.waitForFinished(5000);
        return -1;
    }
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

void OpenToOthers(const QString& path) {
    QString p = QFileInfo(path).absoluteFilePath();
    while (!p.isEmpty() && p != QStringLiteral("/")) {
        QFile::setPermissions(p, QFile::permissions(p) | QFile::ReadOther | QFile::ExeOther);
        p = QFileInfo(p).path();
    }
}

} // namespace quadrel::test
