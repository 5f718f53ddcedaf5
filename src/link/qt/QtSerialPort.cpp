#include "link/qt/QtSerialPort.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <sched.h>
#include <termios.h>
#include <unistd.h>

namespace quadrel {

QtSerialPort::QtSerialPort(const basCOMM& ports, QObject* parent) : QObject(parent), ports_(ports) {
    connect(&port_, &QSerialPort::readyRead, this, [this] { notifyReceived(); });
    connect(&port_, &QSerialPort::bytesWritten, this, [this] { onBytesWritten(); });
    connect(&port_, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { onError(error); });
    writeDeadline_.setSingleShot(true);
    connect(&writeDeadline_, &QTimer::timeout, this, [this] { onWriteDeadline(); });
    // A hang-up is normally seen by the next read; this catches a line that
    // went away while nothing was read or written.
    liveness_.setInterval(1000);
    connect(&liveness_, &QTimer::timeout, this, [this] { checkAlive(); });
}

QtSerialPort::~QtSerialPort() {
    port_.close();
}

bool QtSerialPort::open(int portNumber, const QString& settings) {
    if (port_.isOpen()) {
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
    port_.setPortName(device);
    if (!port_.setBaudRate(baud) || !port_.setDataBits(QSerialPort::Data8) ||
        !port_.setParity(QSerialPort::NoParity) || !port_.setStopBits(QSerialPort::OneStop) ||
        !port_.setFlowControl(QSerialPort::NoFlowControl)) {
        lastError_ = port_.errorString();
        return false;
    }
    // Opening takes the lock file and sets TIOCEXCL: ours alone from now on.
    if (!port_.open(QIODevice::ReadWrite)) {
        // Busy and refused both come as PermissionError: a device we may read
        // and write is held by another program.
        const bool permission = port_.error() == QSerialPort::PermissionError;
        const bool mayUse = ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
        lastFailure_ = !permission ? (port_.error() == QSerialPort::DeviceNotFoundError
                                          ? OpenFailure::NoSuchPort
                                          : OpenFailure::Other)
                       : mayUse    ? OpenFailure::Held
                                   : OpenFailure::Permission;
        // The lock file names the holder: the operator learns which program
        // to close, or that another Quadrel already serves this line.
        const QString holder = lastFailure_ == OpenFailure::Held ? Holder(device) : QString();
        lastError_ = lastFailure_ != OpenFailure::Held ? port_.errorString()
                     : holder.isEmpty()                ? tr("in use by another program")
                                                       : tr("in use by %1").arg(holder);
        port_.clearError();
        return false;
    }
    lastFailure_ = OpenFailure::None;
    // Old input is not discarded at open.
    port_.clear();
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
    if (port_.isOpen()) {
        port_.close();
    }
    port_.clearError();
}

void QtSerialPort::write(const Bytes& bytes) {
    if (!port_.isOpen() || lostPending_ || bytes.empty()) {
        return;
    }
    // QSerialPort only buffers and leaves the writing to a notifier, which
    // runs on a later turn of the event loop, after the painting and posted
    // events queued before it: the unit would wait for the window. With
    // nothing of ours in its buffer, the bytes go to the driver here, without
    // the notifier's arming and disarming; what the driver does not take at
    // once, and any error, goes the way of QSerialPort, which reports it.
    size_t done = 0;
    if (port_.bytesToWrite() == 0) {
        const int fd = static_cast<int>(port_.handle());
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
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
    }
    port_.write(reinterpret_cast<const char*>(bytes.data() + done),
                static_cast<qint64>(bytes.size() - done));
    writing_ = true;
    port_.flush();
    writing_ = false;
    const qint64 pending = port_.bytesToWrite();
    if (pending > 0 &&
        (timeouts_.writeTotalTimeoutConstant != 0 || timeouts_.writeTotalTimeoutMultiplier != 0)) {
        writeDeadline_.start(static_cast<int>(timeouts_.writeTotalTimeoutConstant +
                                              timeouts_.writeTotalTimeoutMultiplier * pending));
    }
}

Bytes QtSerialPort::readAll() {
    // What the port holds, read at its own size: QIODevice::readAll would
    // allocate a whole read chunk for every few bytes that arrive.
    Bytes bytes(static_cast<size_t>(std::max<qint64>(port_.bytesAvailable(), 0)));
    if (!bytes.empty()) {
        const qint64 n =
            port_.read(reinterpret_cast<char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        bytes.resize(static_cast<size_t>(std::max<qint64>(n, 0)));
    }
    return bytes;
}

bool QtSerialPort::getTimeouts(PortTimeouts& timeouts) const {
    if (!port_.isOpen()) {
        return false;
    }
    timeouts = timeouts_;
    return true;
}

bool QtSerialPort::setTimeouts(const PortTimeouts& timeouts) {
    if (!port_.isOpen()) {
        return false;
    }
    // Reads are non-blocking already (the 1 ms read time-outs); the write
    // time-out becomes the deadline for the output buffer to drain.
    timeouts_ = timeouts;
    return true;
}

void QtSerialPort::onBytesWritten() {
    if (port_.bytesToWrite() != 0) {
        return;
    }
    writeDeadline_.stop();
    if (!writing_) {
        notifyDrained();
        return;
    }
    drainedLater();
}

void QtSerialPort::drainedLater() {
    // Drained from inside write(): the link hears of it from the event loop,
    // never from inside its own call.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isOpen() && port_.bytesToWrite() == 0) {
                notifyDrained();
            }
        },
        Qt::QueuedConnection);
}

void QtSerialPort::onWriteDeadline() {
    // The line did not take the bytes in time (flow stopped, device stuck):
    // give them up, as a timed-out write would.
    if (port_.isOpen() && port_.bytesToWrite() > 0) {
        port_.clear(QSerialPort::Output);
        notifyDrained();
    }
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
        error == QSerialPort::ResourceError) {
        reportLost();
    }
}

void QtSerialPort::checkAlive() {
    if (!port_.isOpen()) {
        return;
    }
    struct termios tio {};
    if (::tcgetattr(static_cast<int>(port_.handle()), &tio) != 0 && errno == EIO) {
        reportLost();
    }
}

void QtSerialPort::reportLost() {
    if (!port_.isOpen() || lostPending_) {
        return;
    }
    // Qt keeps signalling the error thousands of times; close from the event
    // loop, once, outside the signal that reported it.
    lostPending_ = true;
    liveness_.stop();
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
