// Times GetExistPort over the 255 port numbers: once against this machine's
// own /dev and tty list (nothing is opened), once against a folder of 255
// aliases to pseudo-terminals, the worst case for the alias lookups.
#include "link/basCOMM.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace quadrel;

static void TimeIt(const char* label, basCOMM& comm, int rounds) {
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < rounds; ++i) {
        comm.GetExistPort();
    }
    const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6 / rounds;
    std::printf("%-40s %8.3f ms per GetExistPort (%lld ports found)\n", label, ms,
                static_cast<long long>(comm.PortList().size()));
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    PortFolders machine;
    machine.aliasDir = tmp.path() + "/no-aliases";
    basCOMM own(machine);
    TimeIt("this machine (/dev, /sys/class/tty)", own, 50);

    PortFolders aliases;
    aliases.aliasDir = tmp.path() + "/ports";
    aliases.devDir = tmp.path() + "/dev";
    aliases.sysTtyDir = tmp.path() + "/sys";
    QDir(tmp.path()).mkpath("ports");
    std::vector<int> fds;
    for (int n = 1; n <= 255; ++n) {
        int master = -1, slave = -1;
        char name[256];
        struct termios raw {};
        cfmakeraw(&raw);
        if (openpty(&master, &slave, name, &raw, nullptr) != 0) {
            break;
        }
        fds.push_back(master);
        fds.push_back(slave);
        QFile::link(QString::fromLocal8Bit(name), aliases.aliasDir + QString("/com%1").arg(n));
    }
    basCOMM full(aliases);
    TimeIt("255 aliases to pseudo-terminals", full, 50);
    for (int fd : fds) {
        close(fd);
    }
    return 0;
}
