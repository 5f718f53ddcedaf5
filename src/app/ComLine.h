#pragma once

#include "app/MessageBoxes.h"
#include "app/PortStatus.h"
#include "link/SerialPort.h"
#include "link/basCOMM.h"
#include "model/PortSettings.h"

#include <cstdint>
#include <functional>

namespace quadrel {

// The serial line as the frame sees it: the port lists, the port, the port
// number and rate in use, their settings, the status the operator sees and
// the two messages. Start-up and the options dialog share it.
class ComLine {
public:
    ComLine(basCOMM& comm, SerialPort& port, PortSettings& settings, MessageBoxes& messages);

    // Opens the port and records the outcome for the status line.
    bool OpenCommPort(int16_t portNumber, int32_t baudRate);
    // Told when OpenCommPort closes the open port: for the link that is what
    // a lost port is, so the awaited answer and any scan or read end there.
    void setOnClosed(std::function<void()> onClosed) { onClosed_ = std::move(onClosed); }
    // Told when OpenCommPort has opened a port, with its number and rate.
    void setOnOpened(std::function<void(int, int)> onOpened) { onOpened_ = std::move(onOpened); }
    // The port went away while open (it is closed already).
    void PortLost() { status_.Lost(); }

    basCOMM& comm() { return comm_; }
    SerialPort& port() { return port_; }
    PortSettings& settings() { return settings_; }
    MessageBoxes& messages() { return messages_; }
    PortStatus& status() { return status_; }

    // Why the last open failed, when the port layer can tell ("in use by
    // another program"); empty otherwise.
    void setFailureReason(std::function<QString()> reason) { failureReason_ = std::move(reason); }

    int16_t iPortNumber = 0;
    int32_t lBaudRate = 0;
    bool blAutoBaudRate = false; // read at start-up, consulted nowhere

private:
    basCOMM& comm_;
    SerialPort& port_;
    PortSettings& settings_;
    MessageBoxes& messages_;
    PortStatus status_;
    std::function<QString()> failureReason_;
    std::function<void()> onClosed_;
    std::function<void(int, int)> onOpened_;
};

} // namespace quadrel
