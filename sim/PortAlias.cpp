#include "sim/PortAlias.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace quadrel::sim {
namespace {

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

bool IsPtySlave(const QString& path) {
    struct stat st {};
    return ::stat(Native(path).constData(), &st) == 0 && S_ISCHR(st.st_mode) &&
           major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

} // namespace

PortAlias::PortAlias(QString aliasDir, int portNumber)
    : dir_(std::move(aliasDir)), port_(portNumber) {}

PortAlias::~PortAlias() {
    release();
}

QString PortAlias::aliasPath() const {
    return dir_ + QStringLiteral("/com%1").arg(port_);
}
QString PortAlias::lockPath() const {
    return aliasPath() + QStringLiteral(".lock");
}

bool PortAlias::takeLock(QString& error) {
    const QByteArray path = Native(lockPath());
    // A lock file can be removed between our open and our flock by the
    // emulator that held it; then we hold a lock nobody else sees, so retry.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            error = QStringLiteral("can not create %1: %2")
                        .arg(lockPath(), QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            char pid[32] = {};
            const ssize_t n = ::read(fd, pid, sizeof pid - 1);
            ::close(fd);
            error =
                QStringLiteral("port %1 is already served by another quadrel-sim%2 "
                               "(alias %3); stop it or choose another --port")
                    .arg(port_)
                    .arg(
                        n > 0
                            ? QStringLiteral(" (pid %1)").arg(QString::fromLatin1(pid, n).trimmed())
                            : QString())
                    .arg(aliasPath());
            return false;
        }
        struct stat held {
        }, named{};
        if (::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0 &&
            held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
            lockFd_ = fd;
            return true;
        }
        ::close(fd);
    }
    error = QStringLiteral("can not lock %1").arg(lockPath());
    return false;
}

bool PortAlias::claim(const QString& target, QString& error) {
    if (!QDir().mkpath(dir_)) {
        error = QStringLiteral("can not create the folder %1").arg(dir_);
        return false;
    }
    const bool lockExisted = QFileInfo::exists(lockPath());
    if (!takeLock(error)) {
        return false;
    }
    const QFileInfo alias(aliasPath());
    if (alias.isSymLink() || alias.exists()) {
        const QString old = alias.symLinkTarget();
        const bool dangling = alias.isSymLink() && !QFileInfo::exists(old);
        // A pseudo-terminal alias beside an unheld lock file is what a killed
        // emulator leaves behind; anything else was made by someone else.
        const bool leftBehind = alias.isSymLink() && lockExisted && IsPtySlave(old);
        if (!dangling && !leftBehind) {
            error = QStringLiteral("%1 already names %2, which quadrel-sim did not make; "
                                   "remove it or choose another --port")
                        .arg(aliasPath(), old.isEmpty() ? QStringLiteral("a file") : old);
            ::close(lockFd_);
            lockFd_ = -1;
            if (!lockExisted) {
                QFile::remove(lockPath());
            }
            return false;
        }
    }
    const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
    if (::ftruncate(lockFd_, 0) != 0 || ::pwrite(lockFd_, pid.constData(), pid.size(), 0) < 0) {
        // The pid is only for the message of a second emulator; carry on.
    }
    // Make the new link under a temporary name and rename it over the alias,
    // so the alias never names nothing while it is replaced.
    const QString temporary = aliasPath() + QStringLiteral(".new%1").arg(::getpid());
    QFile::remove(temporary);
    if (::symlink(Native(target).constData(), Native(temporary).constData()) != 0 ||
        ::rename(Native(temporary).constData(), Native(aliasPath()).constData()) != 0) {
        error = QStringLiteral("can not create the alias %1: %2")
                    .arg(aliasPath(), QString::fromLocal8Bit(std::strerror(errno)));
        QFile::remove(temporary);
        release();
        return false;
    }
    target_ = target;
    return true;
}

void PortAlias::release() {
    if (!target_.isEmpty() && QFileInfo(aliasPath()).symLinkTarget() == target_) {
        QFile::remove(aliasPath());
    }
    target_.clear();
    if (lockFd_ >= 0) {
        QFile::remove(lockPath());
        ::close(lockFd_);
        lockFd_ = -1;
    }
}

} // namespace quadrel::sim
