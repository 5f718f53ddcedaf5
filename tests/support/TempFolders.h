#pragma once

#include "link/basCOMM.h"
#include "support/QtPrinters.h"

#include <QTemporaryDir>

namespace quadrel::test {

// Stand-ins for /dev, the kernel's tty list and the alias folder, so that no
// test sees this machine's own serial ports.
class TempFolders {
public:
    TempFolders();

    PortFolders folders() const;
    QString root() const { return dir_.path(); }

    // alias comN -> target (any path, even one that does not exist)
    void addAlias(int portNumber, const QString& target) const;
    // /dev/<name> -> target, with the kernel listing <name>; uartType is
    // written for ttyS names.
    void addFixedPort(const QString& name, const QString& target, int uartType = 4) const;

private:
    QTemporaryDir dir_;
};

} // namespace quadrel::test
