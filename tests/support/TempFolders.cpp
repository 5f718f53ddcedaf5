#include "support/TempFolders.h"

#include <QDir>
#include <QFile>

namespace quadrel::test {

TempFolders::TempFolders() {
    QDir root(dir_.path());
    root.mkpath(QStringLiteral("ports"));
    root.mkpath(QStringLiteral("dev"));
    root.mkpath(QStringLiteral("sys/class/tty"));
}

PortFolders TempFolders::folders() const {
    PortFolders f;
    f.aliasDir = dir_.path() + QStringLiteral("/ports");
    f.devDir = dir_.path() + QStringLiteral("/dev");
    f.sysTtyDir = dir_.path() + QStringLiteral("/sys/class/tty");
    return f;
}

void TempFolders::addAlias(int portNumber, const QString& target) const {
    QFile::link(target, folders().aliasDir + QStringLiteral("/com%1").arg(portNumber));
}

void TempFolders::addFixedPort(const QString& name, const QString& target, int uartType) const {
    const PortFolders f = folders();
    QFile::link(target, f.devDir + QLatin1Char('/') + name);
    QDir(f.sysTtyDir).mkpath(name);
    if (name.startsWith(QLatin1String("ttyS"))) {
        QFile type(f.sysTtyDir + QLatin1Char('/') + name + QStringLiteral("/type"));
        if (type.open(QIODevice::WriteOnly)) {
            type.write(QByteArray::number(uartType) + '\n');
        }
    }
}

} // namespace quadrel::test
