#include "link/qt/PortDevice.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <utility>

namespace quadrel {

namespace {

speed_t SpeedOf(int baud) {
    static constexpr std::array<std::pair<int, speed_t>, 24> kSpeeds{{
        {50, B50},         {75, B75},         {110, B110},         {134, B134},
        {150, B150},       {200, B200},       {300, B300},         {600, B600},
        {1200, B1200},     {1800, B1800},     {2400, B2400},       {4800, B4800},
        {9600, B9600},     {19200, B19200},   {38400, B38400},     {57600, B57600},
        {115200, B115200}, {230400, B230400}, {460800, B460800},   {500000, B500000},
        {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {2000000, B2000000},
    }};
    for (const auto& [rate, speed] : kSpeeds) {
        if (rate == baud) {
            return speed;
        }
    }
    return B0;
}

} // namespace

QString PortDevice::LockFilePath(const QString& device) {
    // The folders and the name QSerialPort uses: "LCK.." and the path
    // without "/dev/", its slashes as underscores, in the first folder that
    // holds it or where we may write.
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    for (const char* folder : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp",
                               "/tmp", "/var/tmp", "/var/lock/lockdev", "/run/lock"}) {
        const QString path = QLatin1String(folder) + QStringLiteral("/LCK..") + name;
        const QFileInfo dir{QLatin1String(folder)};
        if (dir.isReadable() && (QFile::exists(path) || dir.isWritable())) {
            return path;
        }
    }
    return {};
}

bool PortDevice::open(const QString& device, int baud) {
    close();
    failure_ = Failure::None;
    errorText_.clear();
    const speed_t speed = SpeedOf(baud);
    if (speed == B0) {
        return fail(Failure::Other, EINVAL);
    }
    const QString lockPath = LockFilePath(device);
    if (lockPath.isEmpty()) {
        return fail(Failure::Permission, EACCES);
    }
    lock_ = std::make_unique<QLockFile>(lockPath);
    if (!lock_->tryLock(0)) {
        const bool held = lock_->error() == QLockFile::LockFailedError;
        lock_.reset();
        return fail(held ? Failure::Held : Failure::Permission, held ? EBUSY : EACCES);
    }
    fd_ = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        return fail(error == ENOENT || error == ENODEV || error == ENXIO ? Failure::NoSuchPort
                    : error == EBUSY                                     ? Failure::Held
                    : error == EACCES || error == EPERM                  ? Failure::Permission
                                                                         : Failure::Other,
                    error);
    }
    // Not a terminal (a FIFO, a plain file, /dev/null): no serial port.
    if (::tcgetattr(fd_, &saved_) != 0) {
        return fail(Failure::Other, errno);
    }
    if (::ioctl(fd_, TIOCEXCL) != 0) {
        return fail(Failure::Other, errno);
    }
    struct termios tio = saved_;
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                          ICRNL | IXON | IXOFF | IXANY | INPCK);
    tio.c_iflag |= IGNPAR;
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    // Reads return what is there at once; the event loop waits.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0 ||
        ::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        return fail(Failure::Other, errno);
    }
    // What waited in the driver before we came is no answer of ours.
    ::tcflush(fd_, TCIOFLUSH);
    baud_ = baud;
    return true;
}

bool PortDevice::fail(Failure failure, int error) {
    failure_ = failure;
    errorText_ = qt_error_string(error);
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    lock_.reset();
    return false;
}

void PortDevice::close() {
    if (fd_ >= 0) {
        // On a line that is gone this fails, which is fine.
        ::tcsetattr(fd_, TCSANOW, &saved_);
        ::close(fd_);
        fd_ = -1;
    }
    lock_.reset();
    baud_ = 0;
}

} // namespace quadrel
