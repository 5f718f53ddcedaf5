#pragma once

#include "link/SerialPort.h"
#include "link/basCOMM.h"
#include "link/qt/PortDevice.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>

namespace quadrel {

// The production serial port: the device's descriptor watched by the event
// loop. Port numbers resolve through the port probe, aliases to their device,
// so every program that opens the device sees the same lock file. A port that
// vanishes while open (adapter pulled, the far end of a pseudo-terminal
// closed) is closed and reported once.
//
// Linux wakes every task that polls a terminal for each byte that comes in,
// and a unit sends its answers a byte at a time: 35 to 51 wake-ups for one
// answer to a poll. While the rest of a frame of known length is on the wire
// the descriptor leaves the poll set, and comes back a little before the last
// byte is due, so that byte is still seen the moment it arrives.
class QtSerialPort : public QObject, public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(const basCOMM& ports, QObject* parent = nullptr);
    ~QtSerialPort() override;

    bool open(int portNumber, const QString& settings) override;
    void close() override;
    bool isOpen() const override { return device_.isOpen() && !lostPending_; }
    int portNumber() const override { return portNumber_; }
    QString settings() const override { return settings_; }
    QString devicePath() const { return isOpen() ? devicePath_ : QString(); }

    void write(const Bytes& bytes) override;
    Bytes readAll() override;

    int outputBufferSize() const override { return outputBufferSize_; }
    void setOutputBufferSize(int bytes) { outputBufferSize_ = bytes; }
    bool getTimeouts(PortTimeouts& timeouts) const override;
    bool setTimeouts(const PortTimeouts& timeouts) override;
    void ExpectBytes(int count) override;
    // While the rest of a frame is awaited the port is not polled.
    bool isResting() const { return resting_.isActive(); }

    // Why the last open failed, for the operator ("busy", "permission denied").
    QString lastError() const { return lastError_; }
    // The same, as a kind a caller can act on.
    enum class OpenFailure { None, NoSuchPort, Held, Permission, Other };
    OpenFailure lastFailure() const { return lastFailure_; }
    // Who holds `device`, as its lock file names it ("quadrel, process 812");
    // empty when no lock file tells.
    static QString Holder(const QString& device);

private:
    void onReadable();
    void onWritable();
    void sendPending();
    void drainedLater();
    void onWriteDeadline();
    void checkAlive();
    void reportLost();
    void rest(bool on);

    const basCOMM& ports_;
    PortDevice device_;
    std::unique_ptr<QSocketNotifier> readable_;
    std::unique_ptr<QSocketNotifier> writable_;
    Bytes inbox_;    // read, not yet taken by readAll
    Bytes pending_;  // handed to write, not yet taken by the driver
    QTimer resting_; // while it runs, the rest of a frame is on the wire
    bool notifying_ = false;
    int readsDuringNotice_ = 0;
    QTimer writeDeadline_;
    QTimer liveness_;
    PortTimeouts timeouts_;
    int portNumber_ = 0;
    QString settings_;
    QString devicePath_;
    int outputBufferSize_ = 512;
    bool lostPending_ = false;
    QString lastError_;
    OpenFailure lastFailure_ = OpenFailure::None;
};

} // namespace quadrel
