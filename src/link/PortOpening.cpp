#include "link/PortOpening.h"

namespace quadrel {

QString PortSettingsText(int32_t baudRate) {
    return QStringLiteral("%1,n,8,1").arg(baudRate);
}

bool OpenCommPort(SerialPort& port, int portNumber, int32_t baudRate) {
    if (port.isOpen()) {
        port.close();
    }
    if (!port.open(portNumber, PortSettingsText(baudRate))) {
        return false;
    }
    if (!SetPortTimeouts(port)) {
        port.close();
        return false;
    }
    return true;
}

bool SetPortTimeouts(SerialPort& port) {
    PortTimeouts timeouts;
    if (!port.getTimeouts(timeouts)) {
        return false;
    }
    timeouts.readIntervalTimeout = 1;
    timeouts.readTotalTimeoutMultiplier = 1;
    timeouts.readTotalTimeoutConstant = 1;
    timeouts.writeTotalTimeoutMultiplier = 1;

    // The rate is the number at the head of the settings text.
    const QString settings = port.settings();
    const qsizetype comma = settings.indexOf(QLatin1Char(','));
    bool ok = false;
    const long long baud = settings.left(comma < 0 ? settings.size() : comma).toLongLong(&ok);
    const long long charsPerSecond = ok ? baud / 10 : 0;
    if (charsPerSecond <= 0) {
        return false;
    }
    const long long seconds = port.outputBufferSize() / charsPerSecond;
    timeouts.writeTotalTimeoutConstant = static_cast<uint32_t>(seconds * 1000 + 1000);
    // Only a failure inside this routine counts; the port layer's own answer
    // to writing the record does not.
    port.setTimeouts(timeouts);
    return true;
}

} // namespace quadrel
