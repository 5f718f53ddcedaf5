#include "link/qt/QtSerialPort.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <sched.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace quadrel {

QtSerialPort::QtSerialPort(const basCOMM& ports, QObject* parent) : QObject(parent), ports_(ports) {
    writeDeadline_.setSingleShot(true);
    connect(&writeDeadline_, &QTimer::timeout, this, [this] { onWriteDeadline(); });
    resting_.setSingleShot(true);
    resting_.setTimerType(Qt::PreciseTimer);
    connect(&resting_, &QTimer::timeout, this, [this] {
        rest(false);
        // What came meanwhile is taken now, without a turn of the poll.
        int count = 0;
        if (::ioctl(device_.fd(), FIONREAD, &count) == 0 && count > 0) {
            onReadable();
        }
    });
    // A hang-up is normally seen by the next read; this catches a line that
    // went away while nothing was read or written.
    liveness_.setInterval(1000);
    connect(&liveness_, &QTimer::timeout, this, [this] { checkAlive(); });
}

QtSerialPort::~QtSerialPort() {
    close();
}

bool QtSerialPort::open(int portNumber, const QString& settings) {
    if (device_.isOpen()) {
        close();
    }
    lastError_.clear();
    lastFailure_ = OpenFailure::Other;
    const QString device = ports_.DevicePath(portNumber);
    if (device.isEmpty()) {
        lastError_ = tr("no such port");
        lastFailure_ = OpenFailure::NoSuchPort;
        return false;
    }
    const QStringList fields = settings.split(QLatin1Char(','));
    bool ok = false;
    const int baud = fields.value(0).toInt(&ok);
    if (!ok || baud <= 0) {
        lastError_ = tr("invalid settings");
        return false;
    }
    // Opening takes the lock file and sets TIOCEXCL: ours alone from now on.
    if (!device_.open(device, baud)) {
        switch (device_.failure()) {
        case PortDevice::Failure::NoSuchPort:
            lastFailure_ = OpenFailure::NoSuchPort;
            break;
        case PortDevice::Failure::Held:
            lastFailure_ = OpenFailure::Held;
            break;
        case PortDevice::Failure::Permission:
            // A device we may read and write is held by another program.
            lastFailure_ = ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0
                               ? OpenFailure::Held
                               : OpenFailure::Permission;
            break;
        default:
            lastFailure_ = OpenFailure::Other;
            break;
        }
        // The lock file names the holder: the operator learns which program
        // to close, or that another Quadrel already serves this line.
        const QString holder = lastFailure_ == OpenFailure::Held ? Holder(device) : QString();
        lastError_ = lastFailure_ != OpenFailure::Held ? device_.errorText()
                     : holder.isEmpty()                ? tr("in use by another program")
                                                       : tr("in use by %1").arg(holder);
        return false;
    }
    lastFailure_ = OpenFailure::None;
    readable_ = std::make_unique<QSocketNotifier>(device_.fd(), QSocketNotifier::Read);
    connect(readable_.get(), &QSocketNotifier::activated, this, [this] { onReadable(); });
    writable_ = std::make_unique<QSocketNotifier>(device_.fd(), QSocketNotifier::Write);
    writable_->setEnabled(false);
    connect(writable_.get(), &QSocketNotifier::activated, this, [this] { onWritable(); });
    portNumber_ = portNumber;
    devicePath_ = device;
    settings_ = settings;
    lostPending_ = false;
    timeouts_ = PortTimeouts{};
    liveness_.start();
    return true;
}

QString QtSerialPort::Holder(const QString& device) {
    // The lock file is named after the device without "/dev/", with / as _,
    // in the first of the usual lock folders; its first line is the holder's
    // process number.
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    for (const char* folder : {"/var/lock/", "/run/lock/", "/tmp/", "/var/tmp/"}) {
        QFile lock(QLatin1String(folder) + QStringLiteral("LCK..") + name);
        if (!lock.open(QIODevice::ReadOnly)) {
            continue;
        }
        bool ok = false;
        const qint64 pid = QString::fromLatin1(lock.readLine(32)).trimmed().toLongLong(&ok);
        if (!ok || pid <= 0) {
            continue;
        }
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        const QString program = comm.open(QIODevice::ReadOnly)
                                    ? QString::fromLocal8Bit(comm.read(64)).trimmed()
                                    : QString();
        return program.isEmpty() ? QStringLiteral("process %1").arg(pid)
                                 : QStringLiteral("%1, process %2").arg(program).arg(pid);
    }
    return {};
}

void QtSerialPort::close() {
    liveness_.stop();
    writeDeadline_.stop();
    resting_.stop();
    // The notifiers go before the descriptor they watch.
    readable_.reset();
    writable_.reset();
    device_.close();
    inbox_.clear();
    pending_.clear();
}

void QtSerialPort::write(const Bytes& bytes) {
    if (!isOpen() || bytes.empty()) {
        return;
    }
    // The bytes go to the driver here, not on a later turn of the event
    // loop, after the painting and posted events queued before it: the unit
    // would wait for the window. What the driver does not take at once
    // waits for the descriptor to be writable.
    if (pending_.empty()) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(device_.fd(), bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && errno != EAGAIN) {
                reportLost();
                return;
            } else {
                break;
            }
        }
        if (done == bytes.size()) {
            // A pseudo-terminal (the emulator, a network bridge) hands the
            // bytes to the reader through a kernel worker, which may be queued
            // behind this thread on its processor; the painting that follows
            // an answer would then hold the frame for up to a time slice.
            // One yield lets it run first; on a UART it costs a system call.
            sched_yield();
            drainedLater();
            return;
        }
        pending_.assign(bytes.begin() + static_cast<std::ptrdiff_t>(done), bytes.end());
    } else {
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    }
    writable_->setEnabled(true);
    if (timeouts_.writeTotalTimeoutConstant != 0 || timeouts_.writeTotalTimeoutMultiplier != 0) {
        writeDeadline_.start(static_cast<int>(timeouts_.writeTotalTimeoutConstant +
                                              timeouts_.writeTotalTimeoutMultiplier *
                                                  static_cast<uint32_t>(pending_.size())));
    }
}

void QtSerialPort::onWritable() {
    while (!pending_.empty()) {
        const ssize_t n = ::write(device_.fd(), pending_.data(), pending_.size());
        if (n > 0) {
            pending_.erase(pending_.begin(), pending_.begin() + n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno != EAGAIN) {
            reportLost();
            return;
        } else {
            return;
        }
    }
    writable_->setEnabled(false);
    writeDeadline_.stop();
    notifyDrained();
}

Bytes QtSerialPort::readAll() {
    Bytes bytes;
    bytes.swap(inbox_);
    return bytes;
}

void QtSerialPort::onReadable() {
    // The poll said readable: a read that finds nothing means the line hung
    // up (non-blocking with VMIN 0, an empty line reads as 0 bytes too, but
    // then the poll does not report it).
    bool first = true;
    for (;;) {
        uint8_t chunk[512];
        const ssize_t n = ::read(device_.fd(), chunk, sizeof chunk);
        if (n > 0) {
            inbox_.insert(inbox_.end(), chunk, chunk + n);
            if (static_cast<size_t>(n) < sizeof chunk) {
                break;
            }
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if ((n == 0 || errno != EAGAIN) && first) {
            reportLost();
            return;
        } else {
            break;
        }
        first = false;
    }
    if (inbox_.empty() || notifying_) {
        // A handler's nested event loop read more: its notice follows when
        // the one under way returns.
        ++readsDuringNotice_;
        return;
    }
    notifying_ = true;
    int seen = 0;
    do {
        seen = readsDuringNotice_;
        notifyReceived();
    } while (seen != readsDuringNotice_ && !inbox_.empty() && device_.isOpen());
    notifying_ = false;
}

void QtSerialPort::ExpectBytes(int count) {
    if (!isOpen()) {
        return;
    }
    // Until a little before the last of `count` bytes is due, counted from
    // now at 10 bits a byte; the margin covers the event loop's whole
    // milliseconds and a late wake-up, so the last byte still wakes the port
    // as it arrives and the answer is not taken later than before. The rest
    // is cut into pieces well inside the receiver's 200 ms between bytes.
    constexpr int64_t kMarginUs = 1500;
    constexpr int64_t kLongestMs = 100;
    const int64_t dueUs = int64_t{count} * 10'000'000 / std::max(device_.baud(), 1);
    const int64_t ms = std::min((dueUs - kMarginUs) / 1000, kLongestMs);
    if (count <= 1 || ms < 2) {
        rest(false);
        return;
    }
    rest(true);
    resting_.start(static_cast<int>(ms));
}

void QtSerialPort::rest(bool on) {
    if (!on) {
        resting_.stop();
    }
    if (readable_ && readable_->isEnabled() == on) {
        readable_->setEnabled(!on);
    }
}

bool QtSerialPort::getTimeouts(PortTimeouts& timeouts) const {
    if (!device_.isOpen()) {
        return false;
    }
    timeouts = timeouts_;
    return true;
}

bool QtSerialPort::setTimeouts(const PortTimeouts& timeouts) {
    if (!device_.isOpen()) {
        return false;
    }
    // Reads are non-blocking already (the 1 ms read time-outs); the write
    // time-out becomes the deadline for the output buffer to drain.
    timeouts_ = timeouts;
    return true;
}

void QtSerialPort::drainedLater() {
    // Drained from inside write(): the link hears of it from the event loop,
    // never from inside its own call.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isOpen() && pending_.empty()) {
                notifyDrained();
            }
        },
        Qt::QueuedConnection);
}

void QtSerialPort::onWriteDeadline() {
    // The line did not take the bytes in time (flow stopped, device stuck):
    // give them up, as a timed-out write would.
    if (isOpen() && !pending_.empty()) {
        pending_.clear();
        writable_->setEnabled(false);
        ::tcflush(device_.fd(), TCOFLUSH);
        notifyDrained();
    }
}

void QtSerialPort::checkAlive() {
    if (!device_.isOpen()) {
        return;
    }
    struct termios tio {};
    if (::tcgetattr(device_.fd(), &tio) != 0 && errno == EIO) {
        reportLost();
    }
}

void QtSerialPort::reportLost() {
    if (!device_.isOpen() || lostPending_) {
        return;
    }
    // A hung-up descriptor stays readable: out of the poll at once, closed
    // from the event loop, reported once.
    lostPending_ = true;
    liveness_.stop();
    resting_.stop();
    if (readable_) {
        readable_->setEnabled(false);
    }
    if (writable_) {
        writable_->setEnabled(false);
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            close();
            lastError_ = tr("port lost");
            notifyLost();
        },
        Qt::QueuedConnection);
}

} // namespace quadrel
