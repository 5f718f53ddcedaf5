#pragma once

namespace quadrel::ctl {

// What quadrel-ctl tells its caller; --help lists the same numbers.
enum class ExitStatus : int {
    Done = 0,         // the unit took everything
    NotTaken = 1,     // the unit answered, but what it reports back differs
    Usage = 2,        // the command line is wrong
    NoSuchPort = 3,   // the port number names no serial port
    PortHeld = 4,     // another program holds the port
    PortFailed = 5,   // the port would not open, or vanished while in use
    NotAnswering = 6, // the unit did not answer (three tries, then given up)
    OutOfRange = 7,   // a value outside what the unit reports; nothing was sent
    BadFile = 8,      // the settings file will not read, write or fit; nothing was sent
    NoSuchScene = 9,  // no scene of that name; nothing was sent
    Partial = 10,     // a scene recalled in part: the report says what did not reach which unit
};

inline int Code(ExitStatus s) {
    return static_cast<int>(s);
}

} // namespace quadrel::ctl
