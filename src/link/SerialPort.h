#pragma once

#include "link/Bytes.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace quadrel {

// The operating system's time-out record of an open serial port, in ms. The
// port layer keeps it and applies what maps onto the platform.
struct PortTimeouts {
    uint32_t readIntervalTimeout = 0;
    uint32_t readTotalTimeoutMultiplier = 0;
    uint32_t readTotalTimeoutConstant = 0;
    uint32_t writeTotalTimeoutMultiplier = 0;
    uint32_t writeTotalTimeoutConstant = 0;
};

// The serial line as the link sees it. Production: the device's descriptor
// on the event loop (QtSerialPort); tests: a
// scripted fake or the in-process unit emulator. Notifications arrive on the
// user-interface thread, never from inside a call the link made.
class SerialPort {
public:
    struct Handlers {
        std::function<void()> received; // at least one byte can be read
        std::function<void()> drained;  // everything written has left
        std::function<void()> lost;     // the open port vanished and is now closed
    };

    virtual ~SerialPort() = default;

    // Opens port `portNumber` with a settings text such as "9600,n,8,1".
    // Returns false, leaving the port closed, when that is not possible.
    virtual bool open(int portNumber, const QString& settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual int portNumber() const = 0;
    virtual QString settings() const = 0;

    // Queues bytes for the line; returns at once.
    virtual void write(const Bytes& bytes) = 0;
    // Everything received so far; empties the receive buffer.
    virtual Bytes readAll() = 0;

    virtual int outputBufferSize() const = 0;
    // False when the port is not open.
    virtual bool getTimeouts(PortTimeouts& timeouts) const = 0;
    virtual bool setTimeouts(const PortTimeouts& timeouts) = 0;

    // The receiver needs `count` more bytes to complete its frame (1: no
    // frame of known length under way). A port may stop watching the line
    // until shortly before they are due, so that a frame that comes a byte
    // at a time wakes the program a few times, not once a byte; it never
    // holds back the last byte, nor any notice past that time.
    virtual void ExpectBytes(int count) { (void)count; }

    void setHandlers(Handlers handlers) { handlers_ = std::move(handlers); }

protected:
    void notifyReceived() {
        if (handlers_.received) {
            handlers_.received();
        }
    }
    void notifyDrained() {
        if (handlers_.drained) {
            handlers_.drained();
        }
    }
    void notifyLost() {
        if (handlers_.lost) {
            handlers_.lost();
        }
    }

private:
    Handlers handlers_;
};

} // namespace quadrel
