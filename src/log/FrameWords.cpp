#include "log/FrameWords.h"

#include "link/CommandCodes.h"
#include "model/DeviceName.h"

#include <QStringList>

#include <algorithm>

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

QString Hex2(int value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

// The values of a paired reply as the unit gave them, in range or not.
QString Value(uint8_t code, int value) {
    switch (code) {
    case kCmdGetVideoSwitch:
    case kCmdGetAudioSwitch:
        return value == 0 ? QStringLiteral("none") : QString::number(value);
    case kCmdGetVideoInputPlug:
    case kCmdGetAudioInputPlug:
    case kCmdGetVideoOutputPlug:
    case kCmdGetAudioOutputPlug:
        return value == 0   ? QStringLiteral("out")
               : value == 1 ? QStringLiteral("in")
                            : QString::number(value);
    case kCmdGetMute:
        return value == 0   ? QStringLiteral("off")
               : value == 1 ? QStringLiteral("on")
                            : QString::number(value);
    case kCmdGetEdidType:
        return value == 0   ? QStringLiteral("fixed")
               : value == 1 ? QStringLiteral("output 1")
                            : QString::number(value);
    default:
        return QString::number(value);
    }
}

bool OfInputs(uint8_t code) {
    return code == kCmdGetVideoInputPlug || code == kCmdGetAudioInputPlug ||
           code == kCmdGetEdidType;
}

bool HasLocation(uint8_t code) {
    return IsPairedQuery(code) && code != kCmdGetVideoInputPlug && code != kCmdGetAudioInputPlug &&
           code != kCmdGetVideoOutputPlug && code != kCmdGetAudioOutputPlug &&
           code != kCmdGetEdidType;
}

// "volume of output 3 = 40"; ports in a row as one range with their values
// in order, "volume of outputs 1–4 = 50 30 40 40"; others one by one,
// "volume of output 2 = 50, output 7 = 30". A preset's values name it.
QString Pairs(const SEND_PACKET& r, const uint8_t* data, int length) {
    const uint8_t c = r.bCommand;
    const int pairs = length / 2;
    QString what = c == kCmdGetVideoSwitch   ? QStringLiteral("video input")
                   : c == kCmdGetAudioSwitch ? QStringLiteral("audio input")
                                             : What(c);
    if (HasLocation(c) && r.data(1) != 0) {
        what += QStringLiteral(" in preset %1").arg(r.data(1));
    }
    const QString kind = OfInputs(c) ? QStringLiteral("input") : QStringLiteral("output");
    if (pairs == 0) {
        return what + QStringLiteral(": none");
    }
    bool inRow = pairs > 1;
    for (int i = 1; i < pairs && inRow; ++i) {
        inRow = data[2 * i] == data[2 * (i - 1)] + 1;
    }
    QString text = what + QStringLiteral(" of ");
    if (inRow) {
        text += QStringLiteral("%1s %2–%3 =").arg(kind).arg(data[0]).arg(data[2 * (pairs - 1)]);
        for (int i = 0; i < pairs; ++i) {
            text += QLatin1Char(' ') + Value(c, data[2 * i + 1]);
        }
        return text;
    }
    for (int i = 0; i < pairs; ++i) {
        if (i > 0) {
            text += QStringLiteral(", ");
        }
        text +=
            QStringLiteral("%1 %2 = %3").arg(kind).arg(data[2 * i]).arg(Value(c, data[2 * i + 1]));
    }
    return text;
}

// "information: "Main Hall", 24 inputs, 16 outputs, 8 presets, audio and video, extended block"
QString Information(const uint8_t* data, int length) {
    const uint8_t flags = data[0];
    const bool audio = (flags & 0x80) != 0;
    const bool video = (flags & 0x40) != 0;
    const QString sections = audio && video ? QStringLiteral("audio and video")
                             : audio        ? QStringLiteral("audio")
                             : video        ? QStringLiteral("video")
                                            : QStringLiteral("no sections");
    return QStringLiteral("information: \"%1\", %2 inputs, %3 outputs, %4 presets, %5%6")
        .arg(DecodeDeviceName(data + 3, length - 3))
        .arg(data[2])
        .arg(data[1])
        .arg(flags & 0x0F)
        .arg(sections, (flags & 0x20) != 0 ? QStringLiteral(", extended block") : QString());
}

// "extended information: volume, bass, delay (10 ms steps, up to 2000 ms), EDID, plugs of video
// inputs"
QString Extended(const uint8_t* d, int length) {
    QStringList has;
    const std::pair<int, const char*> audio[] = {
        {0, "volume"}, {1, "bass"}, {2, "treble"}, {3, "subwoofer"}};
    for (const auto& [bit, name] : audio) {
        if ((d[2] >> bit) & 1) {
            has << QLatin1String(name);
        }
    }
    if ((d[2] >> 6) & 1) {
        const int step = ((d[2] >> 7) & 1) != 0 ? 10 : 5;
        has << (length >= 5
                    ? QStringLiteral("delay (%1 ms steps, up to %2 ms)").arg(step).arg(d[4] * 100)
                    : QStringLiteral("delay (%1 ms steps)").arg(step));
    }
    if ((d[1] >> 7) & 1) {
        has << QStringLiteral("EDID");
    }
    QStringList plugs;
    const char* const plugNames[] = {"video inputs", "audio inputs", "video outputs",
                                     "audio outputs"};
    for (int bit = 0; bit < 4; ++bit) {
        if ((d[3] >> bit) & 1) {
            plugs << QLatin1String(plugNames[bit]);
        }
    }
    if (!plugs.isEmpty()) {
        has << QStringLiteral("plugs of ") + plugs.join(QStringLiteral(", "));
    }
    if (d[0] & 1) {
        has << QStringLiteral("firmware version");
    }
    return QStringLiteral("extended information: ") +
           (has.isEmpty() ? QStringLiteral("no abilities") : has.join(QStringLiteral(", ")));
}

} // namespace

QString UnitName(uint8_t id) {
    return QStringLiteral("unit ") + Hex2(id & 0x1F);
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
    const uint8_t c = r.bCommand;
    const int length = std::min<int>(frame[1], static_cast<int>(frame.size()) - 3);
    const uint8_t* data = frame.data() + 2;
    if (IsPairedQuery(c)) {
        return unit + QStringLiteral(" reply: ") + Pairs(r, data, length);
    }
    if (c == kCmdGetFirmwareVersion && length >= 2) {
        // Major and minor share the first byte, a nibble each.
        return QStringLiteral("%1 reply: firmware %2.%3.%4")
            .arg(unit)
            .arg(data[0] >> 4)
            .arg(data[0] & 0x0F)
            .arg(data[1]);
    }
    if (c == kCmdGetUnitInfo && r.data(0) == 0 && length >= 3) {
        return unit + QStringLiteral(" reply: ") + Information(data, length);
    }
    if (c == kCmdGetUnitInfo && r.data(0) == 1 && length >= 4) {
        return unit + QStringLiteral(" reply: ") + Extended(data, length);
    }
    return QStringLiteral("%1 reply: %2 bytes").arg(unit).arg(length);
}

QString Repeat(uint8_t id, int attempt, int tries) {
    return QStringLiteral("%1 repeat %2 of %3").arg(UnitName(id)).arg(attempt).arg(tries);
}

QString GivenUp(uint8_t id, int tries) {
    return QStringLiteral("%1 given up after %2 tries").arg(UnitName(id)).arg(tries);
}

QString Refused(uint8_t id, const QString& reason) {
    return UnitName(id) + QStringLiteral(" reply refused: ") + reason;
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
        return QStringLiteral("began before the request was all out");
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

QString IdRanges(const std::vector<uint8_t>& ids) {
    QStringList parts;
    for (size_t i = 0; i < ids.size();) {
        size_t j = i;
        while (j + 1 < ids.size() && ids[j + 1] == ids[j] + 1) {
            ++j;
        }
        parts << (j == i ? Hex2(ids[i]) : Hex2(ids[i]) + QStringLiteral("–") + Hex2(ids[j]));
        i = j + 1;
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace quadrel::FrameWords
