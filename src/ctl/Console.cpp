#include "ctl/Console.h"

#include "model/QRDSTA.h"

namespace quadrel::ctl {

void Console::ShowUnitRow(const QRDSTA& unit) {
    // A row is refreshed by every information reply; report a unit once.
    if (shown_.insert(unit.bID()).second) {
        Progress(QStringLiteral("unit %1 answers: %2").arg(unit.bID()).arg(unit.sName()));
    }
}

void Console::SetUnitIcon(uint8_t id, bool answering) {
    if (!answering) {
        givenUp_.insert(id);
        Progress(QStringLiteral("unit %1 stopped answering").arg(id));
    }
}

void Console::SetMemoryRowInput(SignalKind kind, int output, int input) {
    (kind == SignalKind::Audio ? rows_[output].audioInput : rows_[output].videoInput) = input;
}

void Console::SetMemoryRowMuteStatus(int output, bool supported, int mute) {
    if (supported) {
        rows_[output].mute = mute;
    }
}

void Console::SetMemoryRowVolumnLevel(int output, bool supported, int level) {
    if (supported) {
        rows_[output].volume = level;
    }
}

void Console::SetMemoryRowBassLevel(int output, bool supported, int level) {
    if (supported) {
        rows_[output].bass = level;
    }
}

void Console::SetMemoryRowTrebleLevel(int output, bool supported, int level) {
    if (supported) {
        rows_[output].treble = level;
    }
}

void Console::SetMemoryRowSubwooferLevel(int output, bool supported, int level) {
    if (supported) {
        rows_[output].subwoofer = level;
    }
}

void Console::SetMemoryRowDelayTime(int output, bool supported, int32_t delay) {
    if (supported) {
        rows_[output].delay = delay;
    }
}

} // namespace quadrel::ctl
