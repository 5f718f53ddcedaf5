#include "model/ReplyHandlers.h"

#include "link/basBitAccess.h"
#include "link/basCommunication.h"
#include "model/DeviceName.h"
#include "model/StatusPolling.h"
#include "model/Views.h"
#include "model/basQRD.h"

namespace quadrel {

namespace {

constexpr int32_t kPollPriority = 2;

bool Bit(uint8_t value, int bit) {
    return basBitAccess::U8BitRead(value, bit) != 0;
}

// The reasons of a refused reply are trace lines: plain English, untranslated.
QString Outside(const char* what, int value, int port, const char* kind, long low, long high) {
    return QStringLiteral("%1 %2 of %3 %4 is outside %5–%6")
        .arg(QLatin1String(what))
        .arg(value)
        .arg(QLatin1String(kind))
        .arg(port)
        .arg(low)
        .arg(high);
}

QString NoSuchPort(const char* kind, int port, int count) {
    return QStringLiteral("%1 %2 is outside 1–%3").arg(QLatin1String(kind)).arg(port).arg(count);
}

QString NotZeroOrOne(const char* what, int value, const char* kind, int port) {
    return QStringLiteral("%1 %2 of %3 %4 is neither 0 nor 1")
        .arg(QLatin1String(what))
        .arg(value)
        .arg(QLatin1String(kind))
        .arg(port);
}

} // namespace

ReplyHandlers::ReplyHandlers(basQRD& model, basCommunication& link, Views& views,
                             StatusPolling& status)
    : model_(model), link_(link), views_(views), status_(status) {}

bool ReplyHandlers::Refuse(const QString& reason) const {
    if (trace_ != nullptr) {
        trace_->LogRefused(link_.queue.CurrentCommand(), reason);
    }
    return false;
}

bool ReplyHandlers::FromSelectedUnit() const {
    const UnitRef& unit = model_.objSelectedUnit;
    return IsUnitConnected(unit) && link_.receiver.packet().bID == unit->bID();
}

bool ReplyHandlers::TakenButIgnored() {
    if (FromSelectedUnit()) {
        return false;
    }
    link_.queue.AcknowledgeCommand();
    return true;
}

ReplyHandlers::Request ReplyHandlers::Current() const {
    const SEND_PACKET& current = link_.queue.CurrentCommand();
    const uint8_t m = current.data(1);
    // Asked once a reply: the question draws what waits on the windows.
    return {link_.receiver.packet().bID, m, current.lPriority, m != 0 && ShowsMemory(m)};
}

bool ReplyHandlers::ForEachPair(const PairFn& pair) const {
    const RECV_PACKET& packet = link_.receiver.packet();
    const int length = std::min<int>(packet.iDataLength, static_cast<int>(packet.bData.size()));
    for (int i = 0; i + 1 < length; i += 2) {
        if (!pair(packet.bData[static_cast<size_t>(i)], packet.bData[static_cast<size_t>(i + 1)])) {
            return false;
        }
    }
    return true;
}

bool ReplyHandlers::ShowsMemory(uint8_t m) const {
    const std::optional<int> selected = views_.SelectedMemoryLocation();
    return selected && *selected == m;
}

void ReplyHandlers::StoreOrShow(const Request& r, const std::function<void()>& memoryRow,
                                const std::function<void()>& live) const {
    if (r.m == 0) {
        live();
    } else if (r.shown) {
        memoryRow();
    }
}

std::vector<int32_t> ReplyHandlers::SweepTaken(std::optional<int32_t> step) {
    const RECV_PACKET& reply = link_.receiver.packet();
    return status_.sweep().Taken(link_.queue.CurrentCommand(),
                                 PortSweep::PortsOf(reply.bData, reply.iDataLength), step);
}

void ReplyHandlers::AfterPairs(bool ok, const Request& r, std::optional<AudioValue> redraw,
                               std::optional<int32_t> step, Pointer pointer) {
    // A rejected pair ends the reply untaken: the request will be repeated.
    if (!ok) {
        return;
    }
    if (redraw) {
        views_.RestartSelectedRedraw(*redraw);
    }
    // Plug and EDID steps belong to the live read only.
    for (const int32_t done : SweepTaken(step)) {
        status_.StatusStepDone(r.id, pointer == Pointer::LiveOnly ? r.m : 0, done);
    }
    // The arrow comes back after an answer the operator waited for.
    if (pointer != Pointer::Untouched && !status_.IsBusy() &&
        (pointer == Pointer::AnyLocation || r.m == 0) && r.priority != kPollPriority) {
        views_.SetBusyPointer(false);
    }
    link_.queue.AcknowledgeCommand();
}

void ReplyHandlers::ReplySwitchStatus(SignalKind kind) {
    if (TakenButIgnored()) {
        return;
    }
    const Request r = Current();
    const UnitRef unit = model_.objSelectedUnit;
    const bool ok = ForEachPair([&](int output, int input) {
        if (!basQRD::IsInRange(output, 1, unit->iOutputCount())) {
            return Refuse(NoSuchPort("output", output, unit->iOutputCount()));
        }
        if (input != 0 && !basQRD::IsInRange(input, 1, unit->iInputCount())) {
            return Refuse(Outside("input", input, output, "output", 1, unit->iInputCount()));
        }
        if (r.m != 0) {
            OutputValues& kept = model_.Presets.At(r.m, output);
            (kind == SignalKind::Video ? kept.videoInput : kept.audioInput) = input;
            if (r.shown) {
                views_.SetMemoryRowInput(kind, output, input);
            }
        } else if (kind == SignalKind::Video) {
            model_.SetVideoRoute(output, input, views_);
        } else {
            model_.SetAudioRoute(output, input, views_);
        }
        return true;
    });
    AfterPairs(ok, r, std::nullopt, kind == SignalKind::Audio ? 0 : 1, Pointer::LiveOnly);
}

void ReplyHandlers::ReplyInputPlugStatus(SignalKind kind) {
    if (TakenButIgnored()) {
        return;
    }
    const Request r = Current();
    const UnitRef unit = model_.objSelectedUnit;
    const bool ok = ForEachPair([&](int input, int plug) {
        if (!basQRD::IsInRange(input, 1, unit->iInputCount())) {
            return Refuse(NoSuchPort("input", input, unit->iInputCount()));
        }
        if (plug != 0 && plug != 1) {
            return Refuse(NotZeroOrOne("plug", plug, "input", input));
        }
        if (kind == SignalKind::Video) {
            model_.VideoInputs[input].lPlugStatus = plug;
            model_.VideoInputs[input].reported.mark(Reported::Plug);
        } else {
            model_.AudioInputPlugs[input] = plug;
        }
        views_.Draw_InputPlug(kind, input);
        return true;
    });
    AfterPairs(ok, r, std::nullopt, kind == SignalKind::Video ? 4 : 3, Pointer::Untouched);
}

void ReplyHandlers::ReplyOutputPlugStatus(SignalKind kind) {
    if (TakenButIgnored()) {
        return;
    }
    const Request r = Current();
    const UnitRef unit = model_.objSelectedUnit;
    const bool ok = ForEachPair([&](int output, int plug) {
        if (!basQRD::IsInRange(output, 1, unit->iOutputCount())) {
            return Refuse(NoSuchPort("output", output, unit->iOutputCount()));
        }
        if (plug != 0 && plug != 1) {
            return Refuse(NotZeroOrOne("plug", plug, "output", output));
        }
        if (kind == SignalKind::Video) {
            model_.VideoOutputs[output].lPlugStatus = plug;
        } else {
            model_.AudioOutputs[output].lPlugStatus = plug;
        }
        views_.Draw_OutputPlug(kind, output);
        return true;
    });
    AfterPairs(ok, r, std::nullopt, kind == SignalKind::Video ? 6 : 5, Pointer::Untouched);
}

void ReplyHandlers::ReplyMuteStatus() {
    if (TakenButIgnored()) {
        return;
    }
    const Request r = Current();
    const UnitRef unit = model_.objSelectedUnit;
    const bool supported = unit->objAudioINFO() && unit->objAudioINFO()->blSupportVolumnControl();
    const bool ok = ForEachPair([&](int output, int mute) {
        if (!basQRD::IsInRange(output, 1, unit->iOutputCount())) {
            return Refuse(NoSuchPort("output", output, unit->iOutputCount()));
        }
        if (mute != 0 && mute != 1) {
            return Refuse(NotZeroOrOne("mute", mute, "output", output));
        }
        if (r.m != 0) {
            model_.Presets.At(r.m, output).mute = mute;
        }
        StoreOrShow(
            r, [&] { views_.SetMemoryRowMuteStatus(output, supported, mute); },
            [&] {
                model_.AudioOutputs[output].lMuteStatus = mute;
                model_.AudioOutputs[output].reported.mark(Reported::Mute);
                views_.Draw_AudioOutputMute(output);
            });
        return true;
    });
    AfterPairs(ok, r, AudioValue::Mute, std::nullopt, Pointer::LiveOnly);
}

void ReplyHandlers::ReplyVolumnLevel() {
    ReplyLevel(Level::Volumn);
}
void ReplyHandlers::ReplyBassLevel() {
    ReplyLevel(Level::Bass);
}
void ReplyHandlers::ReplyTrebleLevel() {
    ReplyLevel(Level::Treble);
}
void ReplyHandlers::ReplySubwooferLevel() {
    ReplyLevel(Level::Subwoofer);
}

void ReplyHandlers::ReplyLevel(Level level) {
    if (TakenButIgnored()) {
        return;
    }
    const Request r = Current();
    const UnitRef unit = model_.objSelectedUnit;
    const auto audio = unit->objAudioINFO();
    bool supported = false;
    AudioValue value = AudioValue::Volumn;
    int32_t step = 7;
    switch (level) {
    case Level::Volumn:
        supported = audio && audio->blSupportVolumnControl();
        break;
    case Level::Bass:
        supported = audio && audio->blSupportBassControl();
        value = AudioValue::Bass;
        step = 8;
        break;
    case Level::Treble:
        supported = audio && audio->blSupportTrebleControl();
        value = AudioValue::Treble;
        step = 9;
        break;
    case Level::Subwoofer:
        supported = audio && audio->blSupportSubwooferControl();
        value = AudioValue::Subwoofer;
        step = 10;
        break;
    }
    const bool ok = ForEachPair([&](int output, int v) {
        if (!basQRD::IsInRange(output, 1, unit->iOutputCount())) {
            return Refuse(NoSuchPort("output", output, unit->iOutputCount()));
        }
        if (!basQRD::IsInRange(v, 0, 100)) {
            static const char* const kNames[] = {"volume", "bass", "treble", "subwoofer"};
            return Refuse(Outside(kNames[static_cast<int>(level)], v, output, "output", 0, 100));
        }
        if (r.m != 0) {
            OutputValues& kept = model_.Presets.At(r.m, output);
            (level == Level::Volumn   ? kept.volume
             : level == Level::Bass   ? kept.bass
             : level == Level::Treble ? kept.treble
                                      : kept.subwoofer) = v;
            if (!r.shown) {
                return true;
            }
            switch (level) {
            case Level::Volumn:
                views_.SetMemoryRowVolumnLevel(output, supported, v);
                break;
            case Level::Bass:
                views_.SetMemoryRowBassLevel(output, supported, v);
                break;
            case Level::Treble:
                views_.SetMemoryRowTrebleLevel(output, supported, v);
                break;
            case Level::Subwoofer:
                views_.SetMemoryRowSubwooferLevel(output, supported, v);
                break;
            }
            return true;
        }
        AUDIO_OUTPUT_STATUS& out = model_.AudioOutputs[output];
        switch (level) {
        case Level::Volumn:
            out.iVolumnLevel = v;
            out.reported.mark(Reported::Volumn);
            views_.Draw_AudioOutputVolumnLevel(output);
            break;
        case Level::Bass:
            out.iBassLevel = v;
            out.reported.mark(Reported::Bass);
            views_.Draw_AudioOutputBassLevel(output);
            break;
        case Level::Treble:
            out.iTrebleLevel = v;
            out.reported.mark(Reported::Treble);
            views_.Draw_AudioOutputTrebleLevel(output);
            break;
        case Level::Subwoofer:
            out.iSubwooferLevel = v;
            out.reported.mark(Reported::Subwoofer);
            views_.Draw_AudioOutputSubwooferLevel(output);
            break;
        }
        return true;
    });
    AfterPairs(ok, r, value, step, Pointer::LiveOnly);
}

void ReplyHandlers::ReplyDelayTime(DelayPart part) {
    if (TakenButIgnored()) {
        return;
    }
    const Request r = Current();
    const UnitRef unit = model_.objSelectedUnit;
    const auto audio = unit->objAudioINFO();
    if (part == DelayPart::Low) {
        const bool ok = ForEachPair([&](int output, int low) {
            if (!basQRD::IsInRange(output, 1, unit->iOutputCount())) {
                return Refuse(NoSuchPort("output", output, unit->iOutputCount()));
            }
            // Every preset's low byte is kept: the high byte that follows is
            // checked against it whether or not its location is shown.
            (r.m == 0 ? model_.AudioOutputs : model_.MemoryAudioOutputs)[output].bDelayLevelLow =
                static_cast<uint8_t>(low);
            return true;
        });
        if (ok) {
            SweepTaken(std::nullopt);
            link_.queue.AcknowledgeCommand();
        }
        return;
    }
    const int delayUnit = audio ? audio->iDelayUnit() : 0;
    const long maxLevel = audio ? audio->lMaxDelayLevel() : 0;
    const bool supported = audio && audio->blSupportDelayControl();
    const bool ok = ForEachPair([&](int output, int high) {
        if (!basQRD::IsInRange(output, 1, unit->iOutputCount())) {
            return Refuse(NoSuchPort("output", output, unit->iOutputCount()));
        }
        const int low =
            (r.m != 0 ? model_.MemoryAudioOutputs : model_.AudioOutputs)[output].bDelayLevelLow;
        // Wide arithmetic: a high byte above 127 is just another level out of range.
        const long level = static_cast<long>(high) * 256 + low;
        if (!basQRD::IsInRange(level, 0, maxLevel)) {
            return Refuse(QStringLiteral("delay %1 ms of output %2 is outside 0–%3 ms")
                              .arg(level * delayUnit)
                              .arg(output)
                              .arg(maxLevel * delayUnit));
        }
        const auto delay = static_cast<int32_t>(level * delayUnit);
        if (r.m != 0) {
            model_.Presets.At(r.m, output).delay = delay;
        }
        StoreOrShow(
            r, [&] { views_.SetMemoryRowDelayTime(output, supported, delay); },
            [&] {
                model_.AudioOutputs[output].lDelayTime = delay;
                model_.AudioOutputs[output].reported.mark(Reported::Delay);
                views_.Draw_AudioOutputDelayTime(output);
            });
        return true;
    });
    AfterPairs(ok, r, AudioValue::Delay, 11, Pointer::LiveOnly);
}

void ReplyHandlers::ReplyEdidType() {
    if (TakenButIgnored()) {
        return;
    }
    const Request r = Current();
    const UnitRef unit = model_.objSelectedUnit;
    const bool ok = ForEachPair([&](int input, int type) {
        if (!basQRD::IsInRange(input, 1, unit->iInputCount())) {
            return Refuse(NoSuchPort("input", input, unit->iInputCount()));
        }
        if (type != 0 && type != 1) {
            return Refuse(NotZeroOrOne("EDID type", type, "input", input));
        }
        model_.VideoInputs[input].lEdidType = type;
        model_.VideoInputs[input].reported.mark(Reported::Edid);
        views_.Draw_VideoInput(input);
        return true;
    });
    if (ok) {
        views_.Draw_SelectedEdidType();
    }
    AfterPairs(ok, r, std::nullopt, 12, Pointer::AnyLocation);
}

void ReplyHandlers::ReplyFirmwareVersion() {
    // Any known unit's version is kept, so the unit list and quadrel-ctl scan
    // can show it; only the selected unit's is a step of its read.
    const RECV_PACKET& p = link_.receiver.packet();
    const UnitRef unit = model_.FindUnit(p.bID);
    auto firmware = unit ? unit->objFirmwareVersion() : nullptr;
    if (firmware && p.bData.size() >= 2) {
        firmware->setiMajor(p.bData[0] >> 4);
        firmware->setiMinor(p.bData[0] & 0x0F);
        firmware->setiReversion(p.bData[1]);
        views_.SetUnitFirmwareText(unit->bID(), firmware->text());
        if (FromSelectedUnit()) {
            for (const int32_t done : SweepTaken(2)) {
                status_.StatusStepDone(p.bID, 0, done);
            }
        }
    }
    link_.queue.AcknowledgeCommand();
}

void ReplyHandlers::ReplyUnitInfo() {
    const RECV_PACKET& p = link_.receiver.packet();
    if (p.bData.size() < 3 || p.iDataLength < 3) {
        return;
    }
    const uint8_t id = p.bID;
    const uint8_t flags = p.bData[0];
    const int length = std::min<int>(p.iDataLength, static_cast<int>(p.bData.size()));
    const QString name = DecodeDeviceName(p.bData.data() + 3, length - 3);
    auto audio = std::make_shared<AUDIO_INFO>();
    audio->setblEnabled(Bit(flags, 7));
    auto video = std::make_shared<VIDEO_INFO>();
    video->setblEnabled(Bit(flags, 6));
    const bool extended = Bit(flags, 5);

    UnitRef selected = model_.objSelectedUnit;
    if (!selected || selected->bID() == id) {
        status_.SetLoadingStatus(true);
    }
    const UnitRef known = model_.FindUnit(id);
    if (known && !known->blConnected() && onUnitBack_) {
        onUnitBack_(id);
    }
    if (known) {
        known->setblExtendedRead(false); // its abilities come afresh with the block
    }
    model_.AddOrUpdateUnit(id, name, true, flags & 0x0F, p.bData[2], p.bData[1], GetMaxCommandLB(0),
                           extended, audio, video, std::make_shared<PLUG_INFO>(),
                           std::make_shared<FIRMWARE_VERSION>(), views_);
    selected = model_.objSelectedUnit;
    if (selected && selected->bID() == id) {
        model_.ClearUnitStatus();
        if (extended) {
            link_.senders.CmdGetUnitInfo(id, 1, 1);
        } else {
            status_.RequestUnitStatus(0);
            views_.FillMemoryLocations();
        }
    }
    // The last ID asked answers: that ends a scan even when it is not selected,
    // but only the answer to the running scan's own probe.
    if (id == status_.LastProbeId() && status_.blScanning() &&
        !link_.queue.IsAwaitedFromBeforeScan()) {
        status_.SetScanning(false);
    }
    link_.queue.AcknowledgeCommand();
}

void ReplyHandlers::ReplyExtendedInfo() {
    const RECV_PACKET& p = link_.receiver.packet();
    const UnitRef unit = model_.FindUnit(p.bID);
    if (!unit) {
        // The unit's record went with a scan: taken and ignored, as the paired
        // replies do, so its refusal cannot give up the new scan's probe.
        link_.queue.AcknowledgeCommand();
        return;
    }
    if (p.bData.size() < 4 || p.iDataLength < 4) {
        return;
    }
    const Bytes& d = p.bData;
    // A version already read stays: the extended block only says whether the
    // unit tells it.
    auto firmware = std::make_shared<FIRMWARE_VERSION>();
    if (const auto known = unit->objFirmwareVersion()) {
        *firmware = *known;
    }
    firmware->setblEnabled(Bit(d[0], 0));
    const int maxCommand = GetMaxCommandLB(Bit(d[0], 7) ? 1 : 0);
    auto video = std::make_shared<VIDEO_INFO>();
    video->setblEnabled(unit->objVideoINFO() && unit->objVideoINFO()->blEnabled());
    video->setblSupportEdidTypeSelect(Bit(d[1], 7));
    auto audio = std::make_shared<AUDIO_INFO>();
    audio->setblEnabled(unit->objAudioINFO() && unit->objAudioINFO()->blEnabled());
    audio->setblSupportVolumnControl(Bit(d[2], 0));
    audio->setblSupportBassControl(Bit(d[2], 1));
    audio->setblSupportTrebleControl(Bit(d[2], 2));
    audio->setblSupportSubwooferControl(Bit(d[2], 3));
    audio->setblSupportDelayControl(Bit(d[2], 6));
    auto plug = std::make_shared<PLUG_INFO>();
    plug->setblSupportVideoInputPlugDetection(Bit(d[3], 0));
    plug->setblSupportAudioInputPlugDetection(Bit(d[3], 1));
    plug->setblSupportVideoOutputPlugDetection(Bit(d[3], 2));
    plug->setblSupportAudioOutputPlugDetection(Bit(d[3], 3));
    if (audio->blSupportDelayControl()) {
        audio->setiDelayUnit(Bit(d[2], 7) ? 10 : 5);
        if (p.iDataLength < 5 || d.size() < 5) {
            Refuse(QStringLiteral("the delay's largest value is missing"));
            return;
        }
        audio->setiMaxDelayTime(d[4] * 100);
        audio->setlMaxDelayLevel(audio->iMaxDelayTime() / audio->iDelayUnit());
    }
    unit->setblExtendedRead(true);
    model_.AddOrUpdateUnit(unit->bID(), unit->sName(), unit->blConnected(), unit->iMemoryCount(),
                           unit->iInputCount(), unit->iOutputCount(), maxCommand,
                           unit->blExtendedInfoExist(), audio, video, plug, firmware, views_);
    const UnitRef selected = model_.objSelectedUnit;
    if (selected && selected->bID() == p.bID) {
        if (audio->blSupportDelayControl()) {
            views_.Setup_SelectedDelayRange(audio->iMaxDelayTime(), audio->iDelayUnit());
        }
        status_.RequestUnitStatus(0);
        views_.FillMemoryLocations();
    }
    link_.queue.AcknowledgeCommand();
}

} // namespace quadrel
