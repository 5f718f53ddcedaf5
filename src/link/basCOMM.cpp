#include "link/basCOMM.h"

#include "link/QuadrelError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace quadrel {
namespace {

// Unix98 pseudo-terminal slaves use majors 136 to 143.
bool IsPtySlave(const struct stat& st) {
    return S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

} // namespace

PortFolders PortFolders::FromEnvironment() {
    PortFolders folders;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) {
        config = QDir::homePath() + QStringLiteral("/.config");
    }
    folders.aliasDir = config + QStringLiteral("/Quadrel/ports");
    return folders;
}

basCOMM::basCOMM(PortFolders folders) : folders_(std::move(folders)) {}

QString basCOMM::FixedMapName(int portNumber) const {
    if (portNumber >= 1 && portNumber <= 32) {
        return QStringLiteral("ttyS%1").arg(portNumber - 1);
    }
    if (portNumber >= 33 && portNumber <= 64) {
        return QStringLiteral("ttyUSB%1").arg(portNumber - 33);
    }
    if (portNumber >= 65 && portNumber <= 96) {
        return QStringLiteral("ttyACM%1").arg(portNumber - 65);
    }
    return {};
}

basCOMM::Probe basCOMM::ProbeDevice(const QString& path, bool aliasTarget) const {
    Probe probe;
    struct stat st {};
    // stat() follows links and never opens the node.
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISCHR(st.st_mode)) {
        return probe;
    }
    // The kernel lists no pseudo-terminal among its ttys; an alias may name one.
    if (aliasTarget && IsPtySlave(st)) {
        probe.exists = true;
        probe.device = path;
        probe.kind = tr("pseudo-terminal");
        return probe;
    }
    // A fixed-map node is judged by its own name, an alias by its target's
    // (already resolved by the caller).
    const QString name = QFileInfo(path).fileName();
    const QString sysEntry = folders_.sysTtyDir + QLatin1Char('/') + name;
    if (name.isEmpty() || !QFileInfo::exists(sysEntry)) {
        return probe;
    }
    if (name.startsWith(QLatin1String("ttyS"))) {
        // The kernel creates every ttyS node; only a UART type other than 0
        // says that hardware stands behind it.
        QFile type(sysEntry + QStringLiteral("/type"));
        if (!type.open(QIODevice::ReadOnly)) {
            return probe;
        }
        bool ok = false;
        const int uart = QString::fromLatin1(type.read(32)).trimmed().toInt(&ok);
        if (!ok || uart == 0) {
            return probe;
        }
        probe.kind = tr("serial port");
    } else if (name.startsWith(QLatin1String("ttyUSB"))) {
        probe.kind = tr("USB serial adapter");
    } else if (name.startsWith(QLatin1String("ttyACM"))) {
        probe.kind = tr("USB modem (CDC ACM)");
    } else {
        probe.kind = tr("serial device");
    }
    probe.exists = true;
    probe.device = path;
    return probe;
}

basCOMM::Probe basCOMM::ProbePort(int portNumber) const {
    if (portNumber < 1 || portNumber > kMaxPortNumber) {
        return {};
    }
    const QString alias = folders_.aliasDir + QStringLiteral("/com%1").arg(portNumber);
    struct stat linkStat {};
    if (::lstat(QFile::encodeName(alias).constData(), &linkStat) == 0) {
        // An alias wins over the fixed map, even when it leads nowhere.
        const QString target = QFileInfo(alias).canonicalFilePath();
        if (target.isEmpty()) {
            return {};
        }
        Probe probe = ProbeDevice(target, true);
        if (probe.exists) {
            //: %1: the kind of device; "com%2" is the name of the alias file
            probe.kind = tr("%1 (alias com%2)").arg(probe.kind).arg(portNumber);
        }
        return probe;
    }
    const QString name = FixedMapName(portNumber);
    if (name.isEmpty()) {
        return {};
    }
    Probe probe = ProbeDevice(folders_.devDir + QLatin1Char('/') + name, false);
    if (probe.exists) {
        // Keep the node's own path: the kernel's name is what the lock file uses.
        probe.device = folders_.devDir + QLatin1Char('/') + name;
    }
    return probe;
}

bool basCOMM::EnumSerPorts(int portNumber) const {
    return WithTag("basCOMM.EnumSerPorts", [&] { return ProbePort(portNumber).exists; });
}

void basCOMM::GetExistPort() {
    WithTag("basCOMM.GetExistPort", [&] {
        QStringList found;
        for (int n = 1; n <= kMaxPortNumber; ++n) {
            if (EnumSerPorts(n)) {
                found << QString::number(n);
            }
        }
        ports_ = found;
    });
}

void basCOMM::GetValidBaudRate() {
    WithTag("basCOMM.GetValidBaudRate", [&] {
        baudRates_ = {QStringLiteral("9600"), QStringLiteral("19200")};
    });
}

bool basCOMM::IsExistPort(const QString& text) const {
    return ports_.contains(text);
}

bool basCOMM::IsValidBaudRate(const QString& text) const {
    return baudRates_.contains(text);
}

QString basCOMM::DevicePath(int portNumber) const {
    return ProbePort(portNumber).device;
}

QString basCOMM::Description(int portNumber) const {
    const Probe probe = ProbePort(portNumber);
    //: %1: the device's path; %2: its kind, as "USB serial adapter"
    return probe.exists ? tr("%1 - %2").arg(probe.device, probe.kind) : QString();
}

} // namespace quadrel
