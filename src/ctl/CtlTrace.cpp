#include "ctl/CtlTrace.h"

#include <cstdio>

namespace quadrel::ctl {

CtlTrace::CtlTrace() : log_(QString(), *this) {
    log_.setShowWords(true);
    log_.setSink(this);
}

CtlTrace::~CtlTrace() {
    log_.setSink(nullptr);
}

void CtlTrace::LogSend(const Bytes& bytes) {
    log_.LogSend(bytes);
    if (onFrame_) {
        onFrame_(true, bytes);
    }
}

void CtlTrace::LogRecv(const Bytes& bytes) {
    log_.LogRecv(bytes);
    if (onFrame_) {
        onFrame_(false, bytes);
    }
}

void CtlTrace::AppendTraceLine(const QString& text, TraceColour) {
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
}

} // namespace quadrel::ctl
