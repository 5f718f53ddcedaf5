#include "app/ComLine.h"

#include "link/PortOpening.h"

namespace quadrel {

ComLine::ComLine(basCOMM& comm, SerialPort& port, PortSettings& settings, MessageBoxes& messages)
    : comm_(comm), port_(port), settings_(settings), messages_(messages) {}

bool ComLine::OpenCommPort(int16_t portNumber, int32_t baudRate) {
    if (port_.isOpen()) {
        port_.close();
        if (onClosed_) {
            onClosed_();
        }
    }
    const bool opened = quadrel::OpenCommPort(port_, portNumber, baudRate);
    const QString device = comm_.DevicePath(portNumber);
    if (opened) {
        status_.Opened(portNumber, baudRate, device);
        if (onOpened_) {
            onOpened_(portNumber, baudRate);
        }
    } else {
        status_.FailedToOpen(portNumber, baudRate, device,
                             failureReason_ ? failureReason_() : QString());
    }
    return opened;
}

} // namespace quadrel
