#include "model/ChangePath.h"

#include "link/CommandCodes.h"
#include "link/basCommunication.h"
#include "model/PortSweep.h"
#include "model/basQRD.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace quadrel {

namespace {

constexpr int32_t kQueryPriority = 1;

uint8_t Byte(int value) {
    return static_cast<uint8_t>(value);
}

// The kinds whose setting and query each take a port and one byte.
using PortFn = void (CommandSenders::*)(uint8_t, uint8_t, uint8_t, int32_t);
struct PlainKind {
    Setting setting;
    uint8_t setCode, getCode;
    PortFn set, get;
};

constexpr PlainKind kPlainKinds[] = {
    {Setting::AudioRoute, kCmdSetAudioSwitch, kCmdGetAudioSwitch,
     &CommandSenders::CmdSetAudioSwitch, &CommandSenders::CmdGetAudioSwitch},
    {Setting::VideoRoute, kCmdSetVideoSwitch, kCmdGetVideoSwitch,
     &CommandSenders::CmdSetVideoSwitch, &CommandSenders::CmdGetVideoSwitch},
    {Setting::Mute, kCmdSetMute, kCmdGetMute, &CommandSenders::CmdSetMute,
     &CommandSenders::CmdGetMute},
    {Setting::Volumn, kCmdSetVolumnLevel, kCmdGetVolumnLevel, &CommandSenders::CmdSetVolumnLevel,
     &CommandSenders::CmdGetVolumnLevel},
    {Setting::Bass, kCmdSetBassLevel, kCmdGetBassLevel, &CommandSenders::CmdSetBassLevel,
     &CommandSenders::CmdGetBassLevel},
    {Setting::Treble, kCmdSetTrebleLevel, kCmdGetTrebleLevel, &CommandSenders::CmdSetTrebleLevel,
     &CommandSenders::CmdGetTrebleLevel},
    {Setting::Subwoofer, kCmdSetSubwooferLevel, kCmdGetSubwooferLevel,
     &CommandSenders::CmdSetSubwooferLevel, &CommandSenders::CmdGetSubwooferLevel},
};

const PlainKind* PlainKindOf(Setting setting) {
    for (const PlainKind& k : kPlainKinds) {
        if (k.setting == setting) {
            return &k;
        }
    }
    return nullptr;
}

} // namespace

Change Change::Of(uint8_t unit, Setting setting, const std::vector<int>& ports, int32_t value) {
    Change c;
    c.unit = unit;
    for (int port : ports) {
        c.items.push_back({setting, port, value});
    }
    return c;
}

Change Change::Of(uint8_t unit, const SettingValues& values) {
    Change c;
    c.unit = unit;
    for (const auto& [key, value] : values) {
        c.items.push_back({key.setting, key.port, value});
    }
    return c;
}

Change Change::Preset(Kind kind, uint8_t unit, int location, bool audio, bool video) {
    Change c;
    c.kind = kind;
    c.unit = unit;
    c.location = location;
    c.audio = audio;
    c.video = video;
    c.priority = kQueryPriority;
    c.follow = Follow::None;
    return c;
}

std::set<Setting> ChangePath::Send(const Change& change, uint32_t tag, int32_t step) {
    TransmitQueue& q = link_.queue;
    const uint32_t tagBefore = q.currentTag();
    q.setCurrentTag(tag, step);
    std::set<Setting> out = Send(change);
    q.setCurrentTag(tagBefore);
    return out;
}

void ChangePath::setGate(Gate gate, std::function<void(const QString&)> onRefused) {
    gate_ = std::move(gate);
    onRefused_ = std::move(onRefused);
}

QString ChangePath::Refusal(const Change& change) const {
    return trusted_ == 0 && gate_ ? gate_(change) : QString();
}

bool ChangePath::Admit(const Change& change) {
    const QString reason = Refusal(change);
    if (reason.isEmpty()) {
        return true;
    }
    if (onRefused_) {
        onRefused_(reason);
    }
    return false;
}

void ChangePath::SendThen(const Change& change, std::function<void(bool)> done, uint32_t tag) {
    // Refused, it was never sent: not an answered change.
    if (!Admit(change)) {
        if (done) {
            done(false);
        }
        return;
    }
    const Trusted admitted(*this); // told once, not again below
    TransmitQueue& q = link_.queue;
    struct Count {
        int pending = 0;
        bool answered = true;
        bool sending = true;
        std::function<void(bool)> done;
    };
    auto count = std::make_shared<Count>();
    count->done = std::move(done);
    if (tag == 0) {
        tag = q.NewTag();
    }
    const auto finish = [&q, count, tag] {
        if (count->pending == 0 && !count->sending && count->done) {
            q.DropTag(tag);
            std::exchange(count->done, nullptr)(count->answered);
        }
    };
    q.Listen(tag, [count, finish](const SEND_PACKET&, TransmitQueue::FrameEnd end) {
        if (end == TransmitQueue::FrameEnd::Queued) {
            ++count->pending;
            return;
        }
        --count->pending;
        count->answered = count->answered && end == TransmitQueue::FrameEnd::Answered;
        finish();
    });
    Send(change, tag);
    count->sending = false;
    finish(); // nothing went out, or it ended at once
}

std::set<Setting> ChangePath::Send(const Change& c) {
    std::set<Setting> queued;
    if (!Admit(c)) {
        return queued;
    }
    const uint8_t id = c.unit;
    CommandSenders& s = link_.senders;
    if (c.kind != Change::Kind::Set) {
        const auto l = Byte(c.location);
        const bool save = c.kind == Change::Kind::PresetSave;
        if (c.audio) {
            save ? s.CmdSaveAudioMemory(id, 0, l, c.priority)
                 : s.CmdLoadAudioMemory(id, 0, l, c.priority);
            queued.insert(Setting::AudioRoute);
        }
        if (c.video) {
            save ? s.CmdSaveVideoMemory(id, 0, l, c.priority)
                 : s.CmdLoadVideoMemory(id, 0, l, c.priority);
            queued.insert(Setting::VideoRoute);
        }
        return queued;
    }
    std::vector<Setting> kinds; // in the order first set
    for (const Change::Item& item : c.items) {
        if (item.port < 1 || item.port > 255) {
            continue;
        }
        if (c.follow == Change::Follow::EachPort) {
            SendQuery(id, item.setting, -item.port); // only withdraws the waiting twin
        }
        if (!SendSetting(id, item, c.priority)) {
            continue;
        }
        if (c.follow == Change::Follow::EachPort) {
            SendQuery(id, item.setting, item.port);
        }
        if (queued.insert(item.setting).second) {
            kinds.push_back(item.setting);
        }
    }
    if (c.follow == Change::Follow::AllPorts) {
        for (Setting setting : kinds) {
            SendQuery(id, setting, 0);
        }
        // One reply lists at most 127 ports, and a larger unit answers
        // successive queries of all its ports with successive windows of
        // them: there a changed port is asked by its number too, or its new
        // value might not be read back.
        const UnitRef unit = model_.FindUnit(id);
        for (const Change::Item& item : c.items) {
            const int ports = !unit                           ? 0
                              : item.setting == Setting::Edid ? unit->iInputCount()
                                                              : unit->iOutputCount();
            if (ports > PortSweep::kPairsPerReply && item.port >= 1 && item.port <= 255 &&
                queued.count(item.setting)) {
                SendQuery(id, item.setting, item.port);
            }
        }
    }
    return queued;
}

bool ChangePath::SendSetting(uint8_t id, const Change::Item& item, int32_t priority) {
    TransmitQueue& q = link_.queue;
    CommandSenders& s = link_.senders;
    const uint8_t port = Byte(item.port);
    if (const PlainKind* kind = PlainKindOf(item.setting)) {
        q.PurgeCommandsByData0(kind->setCode, port);
        (s.*kind->set)(id, port, Byte(item.value), priority);
        return true;
    }
    if (item.setting == Setting::Edid) {
        q.PurgeCommandsByData0(kCmdSetEdidType, port);
        s.CmdSetEdidType(id, port, Byte(item.value), priority);
        return true;
    }
    // A delay in milliseconds on the unit's own step; a value off the step or
    // beyond two bytes of steps would name another delay, and is not sent.
    const UnitRef unit = model_.FindUnit(id);
    const auto audio = unit ? unit->objAudioINFO() : nullptr;
    const int step = audio ? audio->iDelayUnit() : 0;
    if (step <= 0 || item.value < 0 || item.value % step != 0) {
        return false;
    }
    q.PurgeCommandsByData0(kCmdSetDelayLow, port);
    q.PurgeCommandsByData0(kCmdSetDelayHigh, port);
    return s.CmdSetDelayLevel(id, port, item.value / step, priority);
}

// The query of one kind for `port` (0: all ports). A negative port only
// withdraws the waiting query of that port, as a setting about to be made of
// it makes that query's answer stale.
void ChangePath::SendQuery(uint8_t id, Setting setting, int port) {
    TransmitQueue& q = link_.queue;
    CommandSenders& s = link_.senders;
    // Told apart from the settings, which alone decide whether a change
    // still waits.
    const int32_t stepBefore = q.currentStep();
    q.setCurrentTag(q.currentTag(), TransmitQueue::kFollowUpStep);
    const uint8_t p = Byte(std::abs(port));
    const bool send = port >= 0;
    if (const PlainKind* kind = PlainKindOf(setting)) {
        q.PurgeCommandsByData(kind->getCode, 0, p);
        if (send) {
            (s.*kind->get)(id, p, 0, kQueryPriority);
        }
    } else if (setting == Setting::Edid) {
        q.PurgeCommandsByData0(kCmdGetEdidType, p);
        if (send) {
            s.CmdGetEdidType(id, p, kQueryPriority);
        }
    } else {
        q.PurgeCommandsByData(kCmdGetDelayLow, 0, p);
        q.PurgeCommandsByData(kCmdGetDelayHigh, 0, p);
        if (send) {
            s.CmdGetDelayLevel(id, p, 0, kQueryPriority);
        }
    }
    q.setCurrentTag(q.currentTag(), stepBefore);
}

} // namespace quadrel
