#pragma once

#include "link/CommandSenders.h"
#include "link/FrameBuilder.h"
#include "link/LinkTrace.h"
#include "link/ReceiveParser.h"
#include "link/SerialPort.h"
#include "link/Timer.h"
#include "link/TransmitQueue.h"

#include <functional>

namespace quadrel {

class basQRD;

// The device link: frame builder, command senders, transmit queue and
// receive parser on one serial port. The port's receive event runs the
// parser, its send event the queue.
class basCommunication {
public:
    basCommunication(SerialPort& port, TimerFactory& timers, LinkTrace& trace, basQRD& model);
    ~basCommunication();
    basCommunication(const basCommunication&) = delete;
    basCommunication& operator=(const basCommunication&) = delete;

    bool IsPortOpen() const { return port_.isOpen(); }
    SerialPort& port() { return port_; }

    // The open port vanished (the port layer has closed it): drop what
    // waits and tell the owner. Run by the port's own event unless the
    // owner routes that event itself.
    void PortLost();

    // Told once when the open port vanished; the link has already seen it close.
    void setOnPortLost(std::function<void()> onLost) { onPortLost_ = std::move(onLost); }

    // The queue before the builder that hands it frames.
    TransmitQueue queue;
    ReceiveParser receiver;
    FrameBuilder builder;
    CommandSenders senders;

private:
    SerialPort& port_;
    std::function<void()> onPortLost_;
};

} // namespace quadrel
