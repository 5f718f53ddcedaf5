#include "app/PortStatus.h"

namespace quadrel {

void PortStatus::Opened(int portNumber, int32_t baudRate, const QString& devicePath) {
    state_ = State::Open;
    portNumber_ = portNumber;
    baudRate_ = baudRate;
    devicePath_ = devicePath;
    reason_.clear();
    Changed();
}

void PortStatus::FailedToOpen(int portNumber, int32_t baudRate, const QString& devicePath,
                              const QString& reason) {
    state_ = State::OpenFailed;
    portNumber_ = portNumber;
    baudRate_ = baudRate;
    devicePath_ = devicePath;
    reason_ = reason;
    Changed();
}

void PortStatus::Lost() {
    if (state_ != State::Open) {
        return;
    }
    state_ = State::Lost;
    Changed();
}

QString PortStatus::Text() const {
    const QString port = tr("COM%1, %2 baud").arg(portNumber_).arg(baudRate_);
    switch (state_) {
    case State::None:
        return tr("No port open: choose a port in Options");
    case State::Open:
        return tr("%1: open").arg(port);
    case State::OpenFailed:
        return reason_.isEmpty() ? tr("%1: could not be opened; choose a port in Options").arg(port)
                                 : tr("%1: could not be opened (%2); choose a port in Options")
                                       .arg(port, reason_);
    case State::Lost:
        return tr("%1: lost; opened again when it comes back, or choose a port in Options")
            .arg(port);
    }
    return QString();
}

void PortStatus::Changed() {
    if (onChanged_) {
        onChanged_();
    }
}

} // namespace quadrel
