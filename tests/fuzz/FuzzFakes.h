#pragma once

// The fuzzing rig's fakes of the views, the trace and the line: each drops
// what it is handed, so an input costs no allocation here beyond the link's
// own read; the views keep only what the core reads back.

#include "link/LinkTrace.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingViews.h"

namespace quadrel::test {

class FuzzViews : public NotingViews {
public:
    void Reset() {
        memoryLocation.reset();
        redrawRunning.clear();
        busyPointer = qrdEnabled = lstQrdEnabled = false;
        scanCaption = QStringLiteral("S&can");
    }

protected:
    void Note(const char*, std::initializer_list<ViewArg>) override {}
};

struct FuzzTrace : LinkTrace {
    void LogSend(const Bytes&) override {}
    void LogRecv(const Bytes&) override {}
};

class FuzzPort : public FakeSerialPort {
public:
    void write(const Bytes&) override {}
    void Reset() {
        pending_.clear();
        timeouts = PortTimeouts{};
    }
};

} // namespace quadrel::test
