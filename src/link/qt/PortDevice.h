#pragma once

#include <QLockFile>
#include <QString>

#include <memory>
#include <termios.h>

namespace quadrel {

// A serial device opened for our use alone: the lock file every program that
// honours them checks (named and placed as QSerialPort places it, so those
// built on it see ours and we see theirs), TIOCEXCL against the rest, and the
// line raw at 8N1 without flow control. Non-blocking; the caller polls the
// descriptor. Closing gives the line its old settings and the lock back.
class PortDevice {
public:
    enum class Failure { None, NoSuchPort, Held, Permission, Other };

    PortDevice() = default;
    ~PortDevice() { close(); }
    PortDevice(const PortDevice&) = delete;
    PortDevice& operator=(const PortDevice&) = delete;

    // False, closed, with failure() and errorText() set, when it cannot be had.
    bool open(const QString& device, int baud);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    int baud() const { return baud_; }
    Failure failure() const { return failure_; }
    QString errorText() const { return errorText_; }

    // Where the lock file of `device` lives; empty when no lock folder serves.
    static QString LockFilePath(const QString& device);

private:
    bool fail(Failure failure, int error);

    int fd_ = -1;
    int baud_ = 0;
    std::unique_ptr<QLockFile> lock_;
    struct termios saved_ {};
    Failure failure_ = Failure::None;
    QString errorText_;
};

} // namespace quadrel
