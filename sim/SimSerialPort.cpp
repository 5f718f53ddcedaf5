#include "sim/SimSerialPort.h"

#include <QStringList>

namespace quadrel::sim {

SimSerialPort::SimSerialPort(VirtualClock& clock, LineConfig config)
    : clock_(clock), scheduler_(clock) {
    addLine(0, std::move(config));
}

SimSerialPort::~SimSerialPort() {
    *alive_ = false;
}

ProtocolEngine& SimSerialPort::addLine(int portNumber, LineConfig config) {
    auto engine = std::make_unique<ProtocolEngine>(scheduler_, std::move(config));
    ProtocolEngine* line = engine.get();
    // Bytes arriving on a line the port has not open are lost, as on a real one.
    line->setOutput([this, line](const Bytes& bytes) {
        if (!open_ || current_ != line) {
            return;
        }
        received_.insert(received_.end(), bytes.begin(), bytes.end());
        notifyReceived();
    });
    lines_.push_back({portNumber, std::move(engine)});
    return *line;
}

ProtocolEngine& SimSerialPort::lineOf(int portNumber) {
    for (const Line& line : lines_) {
        if (line.portNumber == portNumber) {
            return *line.engine;
        }
    }
    return engine();
}

bool SimSerialPort::open(int portNumber, const QString& settings) {
    const QStringList parts = settings.split(QLatin1Char(','));
    bool ok = false;
    const int baud = parts.value(0).trimmed().toInt(&ok);
    if (open_ || portNumber < 1 || portNumber > 255 || portNumber == refusedPort_ || !ok ||
        baud <= 0) {
        return false;
    }
    current_ = &lineOf(portNumber);
    current_->setBaud(baud);
    open_ = true;
    portNumber_ = portNumber;
    settings_ = settings;
    received_.clear();
    return true;
}

void SimSerialPort::close() {
    open_ = false;
    ++session_;
    received_.clear();
}

void SimSerialPort::loseLine() {
    if (!open_) {
        return;
    }
    close();
    later(VirtualClock::Duration::zero(), [this] { notifyLost(); });
}

void SimSerialPort::write(const Bytes& bytes) {
    if (!open_) {
        return;
    }
    written_.insert(written_.end(), bytes.begin(), bytes.end());
    const auto drained = current_->hostWrite(bytes);
    const uint64_t session = session_;
    later(drained - clock_.now(), [this, session] {
        if (session == session_) {
            notifyDrained();
        }
    });
}

bool SimSerialPort::getTimeouts(PortTimeouts& timeouts) const {
    timeouts = timeouts_;
    return open_;
}

bool SimSerialPort::setTimeouts(const PortTimeouts& timeouts) {
    if (!open_) {
        return false;
    }
    timeouts_ = timeouts;
    return true;
}

void SimSerialPort::later(VirtualClock::Duration delay, std::function<void()> call) {
    clock_.callAfter(delay, [alive = alive_, call = std::move(call)] {
        if (*alive) {
            call();
        }
    });
}

} // namespace quadrel::sim
