#include "log/FrameWords.h"

#include "link/CommandCodes.h"

namespace quadrel::FrameWords {

namespace {

// The name of each value a request sets or asks for, by command code.
QString What(uint8_t code) {
    switch (code) {
    case kCmdSetVideoSwitch:
    case kCmdGetVideoSwitch:
        return QStringLiteral("video route");
    case kCmdSetAudioSwitch:
    case kCmdGetAudioSwitch:
        return QStringLiteral("audio route");
    case kCmdGetVideoInputPlug:
        return QStringLiteral("video input plugs");
    case kCmdGetAudioInputPlug:
        return QStringLiteral("audio input plugs");
    case kCmdGetVideoOutputPlug:
        return QStringLiteral("video output plugs");
    case kCmdGetAudioOutputPlug:
        return QStringLiteral("audio output plugs");
    case kCmdSetMute:
    case kCmdGetMute:
        return QStringLiteral("mute");
    case kCmdSetVolumnLevel:
    case kCmdGetVolumnLevel:
        return QStringLiteral("volume");
    case kCmdSetBassLevel:
    case kCmdGetBassLevel:
        return QStringLiteral("bass");
    case kCmdSetTrebleLevel:
    case kCmdGetTrebleLevel:
        return QStringLiteral("treble");
    case kCmdSetSubwooferLevel:
    case kCmdGetSubwooferLevel:
        return QStringLiteral("subwoofer");
    case kCmdSetDelayLow:
    case kCmdGetDelayLow:
        return QStringLiteral("delay low byte");
    case kCmdSetDelayHigh:
    case kCmdGetDelayHigh:
        return QStringLiteral("delay high byte");
    case kCmdSetEdidType:
    case kCmdGetEdidType:
        return QStringLiteral("EDID");
    default:
        return {};
    }
}

QString Port(const char* kind, uint8_t port) {
    return port == 0 ? QStringLiteral("all %1s").arg(QLatin1String(kind))
                     : QStringLiteral("%1 %2").arg(QLatin1String(kind)).arg(port);
}

QString Location(uint8_t m) {
    return m == 0 ? QStringLiteral("live") : QStringLiteral("preset %1").arg(m);
}

} // namespace

QString UnitName(uint8_t id) {
    return QStringLiteral("unit %1").arg(id & 0x1F, 2, 10, QLatin1Char('0'));
}

QString Request(const SEND_PACKET& r) {
    const uint8_t d0 = r.data(0);
    const uint8_t d1 = r.data(1);
    const uint8_t c = r.bCommand;
    QString text;
    switch (c) {
    case kCmdSetVideoSwitch:
    case kCmdSetAudioSwitch:
        text = d1 == 0 ? QStringLiteral("disconnect %1 output %2").arg(What(c)).arg(d0)
                       : QStringLiteral("set %1 output %2 = input %3").arg(What(c)).arg(d0).arg(d1);
        break;
    case kCmdSaveVideoMemory:
    case kCmdSaveAudioMemory:
    case kCmdLoadVideoMemory:
    case kCmdLoadAudioMemory:
        text = QStringLiteral("%1 %2 preset %3")
                   .arg(c <= kCmdSaveAudioMemory ? QStringLiteral("save") : QStringLiteral("load"),
                        c % 2 == 1 ? QStringLiteral("video") : QStringLiteral("audio"))
                   .arg(d1);
        break;
    case kCmdGetVideoSwitch:
    case kCmdGetAudioSwitch:
    case kCmdGetMute:
    case kCmdGetVolumnLevel:
    case kCmdGetBassLevel:
    case kCmdGetTrebleLevel:
    case kCmdGetSubwooferLevel:
    case kCmdGetDelayLow:
    case kCmdGetDelayHigh:
        text = QStringLiteral("get %1 %2, %3").arg(What(c), Port("output", d0), Location(d1));
        break;
    case kCmdGetVideoInputPlug:
    case kCmdGetAudioInputPlug:
        text = QStringLiteral("get %1 %2").arg(What(c), Port("input", d0));
        break;
    case kCmdGetVideoOutputPlug:
    case kCmdGetAudioOutputPlug:
        text = QStringLiteral("get %1 %2").arg(What(c), Port("output", d0));
        break;
    case kCmdSetMute:
        text = QStringLiteral("set mute output %1 = %2")
                   .arg(d0)
                   .arg(d1 != 0 ? QStringLiteral("on") : QStringLiteral("off"));
        break;
    case kCmdSetVolumnLevel:
    case kCmdSetBassLevel:
    case kCmdSetTrebleLevel:
    case kCmdSetSubwooferLevel:
    case kCmdSetDelayLow:
    case kCmdSetDelayHigh:
        text = QStringLiteral("set %1 output %2 = %3").arg(What(c)).arg(d0).arg(d1);
        break;
    case kCmdSetEdidType:
        text = QStringLiteral("set EDID input %1 = %2")
                   .arg(d0)
                   .arg(d1 == 0 ? QStringLiteral("fixed") : QStringLiteral("output 1"));
        break;
    case kCmdGetEdidType:
        text = QStringLiteral("get EDID %1").arg(Port("input", d0));
        break;
    case kCmdGetFirmwareVersion:
        text = QStringLiteral("get firmware version");
        break;
    case kCmdGetUnitInfo:
        text = d0 == 0 ? QStringLiteral("get information")
                       : QStringLiteral("get extended information");
        break;
    default:
        text = QStringLiteral("command %1 (%2, %3)")
                   .arg(QStringLiteral("%1").arg(c, 2, 16, QLatin1Char('0')).toUpper())
                   .arg(d0)
                   .arg(d1);
        break;
    }
    return UnitName(r.bID) + QLatin1Char(' ') + text;
}

QString Answer(const SEND_PACKET& r, const Bytes& frame) {
    const QString unit = UnitName(r.bID);
    if (frame.size() <= 2) {
        return unit + QStringLiteral(" ack");
    }
    const int length = frame[1];
    const uint8_t c = r.bCommand;
    if (IsPairedQuery(c)) {
        return QStringLiteral("%1 reply: %2 %3")
            .arg(unit)
            .arg(length / 2)
            .arg(length == 2 ? QStringLiteral("pair") : QStringLiteral("pairs"));
    }
    if (c == kCmdGetFirmwareVersion && frame.size() >= 4) {
        // Major and minor share the first byte, a nibble each.
        return QStringLiteral("%1 reply: firmware %2.%3.%4")
            .arg(unit)
            .arg(frame[2] >> 4)
            .arg(frame[2] & 0x0F)
            .arg(frame[3]);
    }
    if (c == kCmdGetUnitInfo && r.data(0) == 0 && frame.size() >= 5) {
        return QStringLiteral("%1 reply: information, %2 inputs, %3 outputs")
            .arg(unit)
            .arg(frame[4])
            .arg(frame[3]);
    }
    return QStringLiteral("%1 reply: %2 bytes").arg(unit).arg(length);
}

QString Repeat(uint8_t id, int attempt, int tries) {
    return QStringLiteral("%1 repeat %2 of %3").arg(UnitName(id)).arg(attempt).arg(tries);
}

QString GivenUp(uint8_t id) {
    return UnitName(id) + QStringLiteral(" given up");
}

QString Reason(DropReason why) {
    switch (why) {
    case DropReason::BadChecksum:
        return QStringLiteral("bad checksum");
    case DropReason::WrongUnit:
        return QStringLiteral("wrong unit");
    case DropReason::NoRequest:
        return QStringLiteral("no request waiting");
    case DropReason::FrameTimeout:
        return QStringLiteral("frame time-out");
    case DropReason::BufferFull:
        return QStringLiteral("buffer full");
    case DropReason::BadLength:
        return QStringLiteral("length does not fit the request");
    case DropReason::Refused:
        return QStringLiteral("refused by the unit");
    case DropReason::Early:
        return QStringLiteral("received before the request was written");
    case DropReason::Duplicate:
        return QStringLiteral("the answer before, sent again");
    }
    return {};
}

QString Dropped(DropReason why, int bytes) {
    return QStringLiteral("dropped %1 %2: %3")
        .arg(bytes)
        .arg(bytes == 1 ? QStringLiteral("byte") : QStringLiteral("bytes"), Reason(why));
}

} // namespace quadrel::FrameWords
