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
    const QString port = QStringLiteral("COM%1, %2 baud").arg(portNumber_).arg(baudRate_);
    switch (state_) {
    case State::None:
        return QStringLiteral("No port open: choose a port in Options");
    case State::Open:
        return port + QStringLiteral(": open");
    case State::OpenFailed:
        return port + QStringLiteral(": could not be opened") +
               (reason_.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason_)) +
               QStringLiteral("; choose a port in Options");
    case State::Lost:
        return port + QStringLiteral(": lost; opened again when it comes back, or choose a "
                                     "port in Options");
    }
    return QString();
}

void PortStatus::Changed() {
    if (onChanged_) {
        onChanged_();
    }
}

} // namespace quadrel
