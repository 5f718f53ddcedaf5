#include "sim/Unit.h"

#include "sim/CommandCode.h"

#include <algorithm>

namespace quadrel::sim {
namespace {

constexpr int kMaxLevel = 100;

// Queries whose second data byte names the live state or a preset.
bool TakesMemoryLocation(uint8_t command) {
    switch (command) {
    case kGetVideoSwitch:
    case kGetAudioSwitch:
    case kGetMute:
    case kGetVolume:
    case kGetBass:
    case kGetTreble:
    case kGetSubwoofer:
    case kGetDelayLow:
    case kGetDelayHigh:
        return true;
    default:
        return false;
    }
}

uint8_t Bit(bool on, int bit) {
    return on ? static_cast<uint8_t>(1u << bit) : 0;
}

} // namespace

Unit::Unit(UnitConfig config, uint64_t seed)
    : config_(std::move(config)), plugMotion_(config_, static_cast<uint32_t>(seed)) {
    const auto inputs = static_cast<size_t>(config_.inputs);
    const auto outputs = static_cast<size_t>(config_.outputs);
    // Powered up with output N taking input N (wrapping round the inputs).
    state_.videoRoutes.resize(outputs);
    state_.audio.resize(outputs);
    for (size_t o = 0; o < outputs; ++o) {
        const auto input = static_cast<uint8_t>(inputs == 0 ? 0 : o % inputs + 1);
        state_.videoRoutes[o] = input;
        state_.audio[o].input = input;
    }
    state_.edid.assign(inputs, 0);
    // Every third port has nothing plugged in, so the display has both kinds.
    const auto pattern = [](size_t count) {
        std::vector<bool> plugged(count);
        for (size_t p = 0; p < count; ++p) {
            plugged[p] = (p + 1) % 3 != 0;
        }
        return plugged;
    };
    state_.videoInputPlugs = pattern(inputs);
    state_.audioInputPlugs = pattern(inputs);
    state_.videoOutputPlugs = pattern(outputs);
    state_.audioOutputPlugs = pattern(outputs);
    const auto memories = static_cast<size_t>(config_.memories);
    state_.audioPresets.assign(memories, AudioPreset{state_.audio});
    state_.videoPresets.assign(memories, VideoPreset{state_.videoRoutes});
}

std::optional<Answer> Unit::handle(uint8_t command, uint8_t d0, uint8_t d1,
                                   Scheduler::TimePoint now) {
    advancePlugs(now);
    if (!supports(command)) {
        return std::nullopt;
    }
    switch (command) {
    case kSetVideoSwitch:
    case kSetAudioSwitch:
        return setRoute(command == kSetVideoSwitch, d0, d1);
    case kSaveVideoMemory:
    case kSaveAudioMemory:
        return savePreset(command == kSaveVideoMemory, d0, d1);
    case kLoadVideoMemory:
    case kLoadAudioMemory:
        return loadPreset(command == kLoadVideoMemory, d0, d1);
    case kSetMute:
    case kSetVolume:
    case kSetBass:
    case kSetTreble:
    case kSetSubwoofer:
    case kSetDelayLow:
    case kSetDelayHigh:
        return setAudio(command, d0, d1);
    case kSetEdidType:
        return setEdid(d0, d1);
    case kGetFirmwareVersion:
        return firmware();
    case kGetUnitInfo:
        return unitInfo(d0);
    default:
        return query(command, d0, d1);
    }
}

bool Unit::supports(uint8_t command) const {
    const UnitConfig& c = config_;
    switch (command) {
    case kSetVideoSwitch:
    case kSaveVideoMemory:
    case kLoadVideoMemory:
    case kGetVideoSwitch:
        return c.video;
    case kSetAudioSwitch:
    case kSaveAudioMemory:
    case kLoadAudioMemory:
    case kGetAudioSwitch:
        return c.audio;
    case kGetVideoInputPlug:
        return c.videoInputPlug;
    case kGetAudioInputPlug:
        return c.audioInputPlug;
    case kGetVideoOutputPlug:
        return c.videoOutputPlug;
    case kGetAudioOutputPlug:
        return c.audioOutputPlug;
    case kSetMute:
    case kGetMute:
    case kSetVolume:
    case kGetVolume:
        return c.audio && c.volume;
    case kSetBass:
    case kGetBass:
        return c.audio && c.bass;
    case kSetTreble:
    case kGetTreble:
        return c.audio && c.treble;
    case kSetSubwoofer:
    case kGetSubwoofer:
        return c.audio && c.subwoofer;
    case kSetDelayLow:
    case kGetDelayLow:
    case kSetDelayHigh:
    case kGetDelayHigh:
        return c.audio && c.delay;
    case kSetEdidType:
    case kGetEdidType:
        return c.edidSelect;
    case kGetFirmwareVersion:
        return c.firmwareReadable;
    case kGetUnitInfo:
        return true;
    default:
        return false;
    }
}

Unit::Answered Unit::setRoute(bool video, uint8_t output, uint8_t input) {
    if (output < 1 || output > config_.outputs || input > config_.inputs) {
        return std::nullopt;
    }
    if (video) {
        state_.videoRoutes[output - 1] = input;
    } else {
        state_.audio[output - 1].input = input;
    }
    return acknowledge();
}

Unit::Answered Unit::savePreset(bool video, uint8_t /*d0*/, uint8_t location) {
    if (location < 1 || location > config_.memories) {
        return std::nullopt;
    }
    if (video) {
        state_.videoPresets[location - 1].routes = state_.videoRoutes;
    } else {
        state_.audioPresets[location - 1].outputs = state_.audio;
    }
    return acknowledge();
}

Unit::Answered Unit::loadPreset(bool video, uint8_t /*d0*/, uint8_t location) {
    if (location < 1 || location > config_.memories) {
        return std::nullopt;
    }
    if (video) {
        state_.videoRoutes = state_.videoPresets[location - 1].routes;
    } else {
        state_.audio = state_.audioPresets[location - 1].outputs;
    }
    return acknowledge();
}

Unit::Answered Unit::setAudio(uint8_t command, uint8_t output, uint8_t value) {
    if (output < 1 || output > config_.outputs) {
        return std::nullopt;
    }
    AudioOutputState& out = state_.audio[output - 1];
    const int maxDelay = config_.maxDelayLevel();
    switch (command) {
    case kSetMute:
        if (value > 1) {
            return std::nullopt;
        }
        out.mute = value == 1;
        break;
    case kSetDelayHigh: {
        // The high byte comes first; while the old low byte would take the
        // level past the maximum, the level stops at the maximum.
        if (value * 256 > maxDelay) {
            return std::nullopt;
        }
        out.delayLevel = std::min(value * 256 + (out.delayLevel & 0xFF), maxDelay);
        break;
    }
    case kSetDelayLow: {
        const int level = (out.delayLevel & 0xFF00) + value;
        if (level > maxDelay) {
            return std::nullopt;
        }
        out.delayLevel = level;
        break;
    }
    default:
        if (value > kMaxLevel) {
            return std::nullopt;
        }
        (command == kSetVolume   ? out.volume
         : command == kSetBass   ? out.bass
         : command == kSetTreble ? out.treble
                                 : out.subwoofer) = value;
        break;
    }
    return acknowledge();
}

Unit::Answered Unit::setEdid(uint8_t input, uint8_t type) {
    if (input < 1 || input > config_.inputs || type > 1) {
        return std::nullopt;
    }
    state_.edid[input - 1] = type;
    return acknowledge();
}

int Unit::portCount(uint8_t command) const {
    switch (command) {
    case kGetVideoInputPlug:
    case kGetAudioInputPlug:
    case kGetEdidType:
        return config_.inputs;
    default:
        return config_.outputs;
    }
}

int Unit::value(uint8_t command, int port, uint8_t location) const {
    const auto p = static_cast<size_t>(port - 1);
    const bool live = location == 0;
    const std::vector<AudioOutputState>& audio =
        live ? state_.audio : state_.audioPresets[location - 1].outputs;
    switch (command) {
    case kGetVideoSwitch:
        return live ? state_.videoRoutes[p] : state_.videoPresets[location - 1].routes[p];
    case kGetAudioSwitch:
        return audio[p].input;
    case kGetVideoInputPlug:
        return state_.videoInputPlugs[p] ? 1 : 0;
    case kGetAudioInputPlug:
        return state_.audioInputPlugs[p] ? 1 : 0;
    case kGetVideoOutputPlug:
        return state_.videoOutputPlugs[p] ? 1 : 0;
    case kGetAudioOutputPlug:
        return state_.audioOutputPlugs[p] ? 1 : 0;
    case kGetMute:
        return audio[p].mute ? 1 : 0;
    case kGetVolume:
        return audio[p].volume;
    case kGetBass:
        return audio[p].bass;
    case kGetTreble:
        return audio[p].treble;
    case kGetSubwoofer:
        return audio[p].subwoofer;
    case kGetDelayLow:
        return audio[p].delayLevel & 0xFF;
    case kGetDelayHigh:
        return audio[p].delayLevel >> 8;
    case kGetEdidType:
        return state_.edid[p];
    default:
        return 0;
    }
}

Unit::Answered Unit::query(uint8_t command, uint8_t port, uint8_t location) {
    if (!TakesMemoryLocation(command)) {
        location = 0; // plug and EDID queries always read the live state
    } else if (location > config_.memories) {
        return std::nullopt;
    }
    const int count = portCount(command);
    if (port > count) {
        return std::nullopt;
    }
    Answer answer{true, {}};
    const auto add = [&](int p) {
        answer.data.push_back(static_cast<uint8_t>(p));
        answer.data.push_back(static_cast<uint8_t>(value(command, p, location)));
    };
    if (port != 0) {
        add(port);
        return answer;
    }
    // One reply lists at most 127 ports; a larger unit answers successive
    // whole-unit queries with successive windows, so polls cover every port.
    int first = 1;
    if (count > kMaxPairs) {
        int& next = nextWindow_[command];
        first = next < 1 || next > count ? 1 : next;
        const int last = std::min(count, first + kMaxPairs - 1);
        next = last == count ? 1 : last + 1;
    }
    for (int p = first; p <= count && p < first + kMaxPairs; ++p) {
        add(p);
    }
    return answer;
}

Unit::Answered Unit::unitInfo(uint8_t page) const {
    const UnitConfig& c = config_;
    Answer answer{true, {}};
    if (page == 0) {
        answer.data = {static_cast<uint8_t>((c.memories & 0x0F) | Bit(c.extendedInfo, 5) |
                                            Bit(c.video, 6) | Bit(c.audio, 7)),
                       static_cast<uint8_t>(c.outputs), static_cast<uint8_t>(c.inputs)};
        const size_t room = 255 - answer.data.size();
        const std::string name = c.name.substr(0, room);
        answer.data.insert(answer.data.end(), name.begin(), name.end());
        return answer;
    }
    if (page != 1 || !c.extendedInfo) {
        return std::nullopt;
    }
    answer.data = {
        static_cast<uint8_t>(Bit(c.firmwareReadable, 0) | Bit(c.longFrames, 7)),
        Bit(c.edidSelect, 7),
        static_cast<uint8_t>(Bit(c.volume, 0) | Bit(c.bass, 1) | Bit(c.treble, 2) |
                             Bit(c.subwoofer, 3) | Bit(c.delay, 6) | Bit(c.delayStepMs == 10, 7)),
        static_cast<uint8_t>(Bit(c.videoInputPlug, 0) | Bit(c.audioInputPlug, 1) |
                             Bit(c.videoOutputPlug, 2) | Bit(c.audioOutputPlug, 3)),
        static_cast<uint8_t>(c.maxDelayTenths),
    };
    return answer;
}

Unit::Answered Unit::firmware() const {
    return Answer{
        true,
        {static_cast<uint8_t>((config_.firmwareMajor << 4) | (config_.firmwareMinor & 0x0F)),
         config_.firmwareRevision}};
}

void Unit::spoilReply(uint8_t command, Bytes& data, uint32_t pick) const {
    if (data.size() < 2 || command == kGetUnitInfo || command == kGetFirmwareVersion) {
        return;
    }
    const size_t pair = pick % (data.size() / 2) * 2;
    uint8_t& value = data[pair + 1];
    switch (command) {
    case kGetVideoSwitch:
    case kGetAudioSwitch:
        if (config_.inputs < 255) {
            value = static_cast<uint8_t>(config_.inputs + 1);
            return;
        }
        break;
    case kGetVolume:
    case kGetBass:
    case kGetTreble:
    case kGetSubwoofer:
        value = static_cast<uint8_t>(kMaxLevel + 1 + pick % 100);
        return;
    case kGetDelayHigh:
        value = 0xFF;
        return;
    case kGetDelayLow:
        break;
    default: // plugs, mute, EDID: 0 or 1
        value = 2;
        return;
    }
    data[pair] = 0; // no port is numbered 0
}

void Unit::advancePlugs(Scheduler::TimePoint now) {
    plugMotion_.advance(config_, state_, now);
}

} // namespace quadrel::sim
