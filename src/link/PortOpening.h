#pragma once

#include "link/SerialPort.h"

#include <QString>

#include <cstdint>

namespace quadrel {

// "9600,n,8,1": the line format is fixed, only the rate varies.
QString PortSettingsText(int32_t baudRate);

// Closes the port if open, opens `portNumber` at `baudRate` and writes its
// time-outs. False, with the port closed, when any step fails.
bool OpenCommPort(SerialPort& port, int portNumber, int32_t baudRate);

// Read time-outs of 1 ms and a write time-out of 1 ms per byte plus a
// constant that lets the whole output buffer drain at the port's rate.
bool SetPortTimeouts(SerialPort& port);

} // namespace quadrel
