#pragma once

#include "link/SerialPort.h"
#include "link/basCOMM.h"

#include <QObject>
#include <QSerialPort>
#include <QTimer>

namespace quadrel {

// The production serial port on QSerialPort. Port numbers resolve through the
// port probe, aliases to their device, so every program that opens the device
// sees the same lock file. A port that vanishes while open (adapter pulled,
// the far end of a pseudo-terminal closed) is closed and reported once.
class QtSerialPort : public QObject, public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(const basCOMM& ports, QObject* parent = nullptr);
    ~QtSerialPort() override;

    bool open(int portNumber, const QString& settings) override;
    void close() override;
    bool isOpen() const override { return port_.isOpen() && !lostPending_; }
    int portNumber() const override { return portNumber_; }
    QString settings() const override { return settings_; }
    QString devicePath() const { return isOpen() ? devicePath_ : QString(); }

    void write(const Bytes& bytes) override;
    Bytes readAll() override;

    int outputBufferSize() const override { return outputBufferSize_; }
    void setOutputBufferSize(int bytes) { outputBufferSize_ = bytes; }
    bool getTimeouts(PortTimeouts& timeouts) const override;
    bool setTimeouts(const PortTimeouts& timeouts) override;

    // Why the last open failed, for the operator ("busy", "permission denied").
    QString lastError() const { return lastError_; }
    // The same, as a kind a caller can act on.
    enum class OpenFailure { None, NoSuchPort, Held, Permission, Other };
    OpenFailure lastFailure() const { return lastFailure_; }
    // Who holds `device`, as its lock file names it ("quadrel, process 812");
    // empty when no lock file tells.
    static QString Holder(const QString& device);

private:
    void onError(QSerialPort::SerialPortError error);
    void onBytesWritten();
    void drainedLater();
    void onWriteDeadline();
    void checkAlive();
    void reportLost();

    const basCOMM& ports_;
    QSerialPort port_;
    QTimer writeDeadline_;
    QTimer liveness_;
    PortTimeouts timeouts_;
    int portNumber_ = 0;
    QString settings_;
    QString devicePath_;
    int outputBufferSize_ = 512;
    bool lostPending_ = false;
    bool writing_ = false; // inside write(), handing bytes to the driver
    QString lastError_;
    OpenFailure lastFailure_ = OpenFailure::None;
};

} // namespace quadrel
