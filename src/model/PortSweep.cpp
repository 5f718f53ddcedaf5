#include "model/PortSweep.h"

#include "link/CommandCodes.h"
#include "link/CommandSenders.h"
#include "model/basQRD.h"

#include <algorithm>

namespace quadrel {

namespace {

constexpr int32_t kReadPriority = 1;

bool Paired(uint8_t code) {
    return code >= kCmdGetVideoSwitch && code <= kCmdGetEdidType && !IsSetCommand(code) &&
           code != kCmdGetDelayLow;
}

} // namespace

std::vector<int> PortSweep::PortsOf(const Bytes& pairs, int length) {
    std::vector<int> ports;
    const int n = std::min<int>(length, static_cast<int>(pairs.size()));
    for (int i = 0; i + 1 < n; i += 2) {
        ports.push_back(pairs[static_cast<size_t>(i)]);
    }
    return ports;
}

void PortSweep::Begin(uint8_t m) {
    reads_[m] = Read{};
}

bool PortSweep::Reading(const SEND_PACKET& request) const {
    const uint8_t m = request.data(1);
    const UnitRef& unit = model_.objSelectedUnit;
    return unit && request.bID == unit->bID() && reads_.count(m) != 0 &&
           (m == 0 ? model_.blLoadingStatus : model_.blLoadingMemory);
}

std::map<uint8_t, std::vector<int>> PortSweep::Missing(uint8_t m) const {
    std::map<uint8_t, std::vector<int>> out;
    const auto read = reads_.find(m);
    if (read == reads_.end() || !model_.objSelectedUnit) {
        return out;
    }
    for (const auto& entry : read->second.kinds) {
        const uint8_t code = entry.first;
        const Kind& kind = entry.second;
        for (int port = 1; port <= PortCount(code); ++port) {
            if (kind.seen.count(port) == 0) {
                out[code].push_back(port);
            }
        }
    }
    return out;
}

int PortSweep::PortCount(uint8_t code) const {
    const UnitRef& unit = model_.objSelectedUnit;
    switch (code) {
    case kCmdGetVideoInputPlug:
    case kCmdGetAudioInputPlug:
    case kCmdGetEdidType:
        return unit->iInputCount();
    default:
        return unit->iOutputCount();
    }
}

void PortSweep::Ask(uint8_t code, int port, uint8_t m) {
    const uint8_t id = model_.objSelectedUnit->bID();
    const auto p = static_cast<uint8_t>(port);
    CommandSenders& s = senders_;
    switch (code) {
    case kCmdGetVideoSwitch:
        return s.CmdGetVideoSwitch(id, p, m, kReadPriority);
    case kCmdGetAudioSwitch:
        return s.CmdGetAudioSwitch(id, p, m, kReadPriority);
    case kCmdGetVideoInputPlug:
        return s.CmdGetVideoInputPlug(id, p, kReadPriority);
    case kCmdGetAudioInputPlug:
        return s.CmdGetAudioInputPlug(id, p, kReadPriority);
    case kCmdGetVideoOutputPlug:
        return s.CmdGetVideoOutputPlug(id, p, kReadPriority);
    case kCmdGetAudioOutputPlug:
        return s.CmdGetAudioOutputPlug(id, p, kReadPriority);
    case kCmdGetMute:
        return s.CmdGetMute(id, p, m, kReadPriority);
    case kCmdGetVolumnLevel:
        return s.CmdGetVolumnLevel(id, p, m, kReadPriority);
    case kCmdGetBassLevel:
        return s.CmdGetBassLevel(id, p, m, kReadPriority);
    case kCmdGetTrebleLevel:
        return s.CmdGetTrebleLevel(id, p, m, kReadPriority);
    case kCmdGetSubwooferLevel:
        return s.CmdGetSubwooferLevel(id, p, m, kReadPriority);
    case kCmdGetDelayHigh:
        // The high byte is worth only as much as the low byte just before it.
        return s.CmdGetDelayLevel(id, p, m, kReadPriority);
    case kCmdGetEdidType:
        return s.CmdGetEdidType(id, p, kReadPriority);
    default:
        return;
    }
}

void PortSweep::Follow(uint8_t code, uint8_t m, Kind& kind) {
    const int count = PortCount(code);
    std::deque<int> missing;
    for (int p = 1; p <= count; ++p) {
        if (kind.seen.count(p) == 0) {
            missing.push_back(p);
        }
    }
    if (missing.empty()) {
        kind.whole = true;
        return;
    }
    // A unit that lists its ports in windows gives the next window to the
    // next question for all, so a few more of those cover it (a repeated
    // question, or a high delay byte out of step with its low byte, may cost
    // one). What is still missing then is asked for by port.
    const int windows = (count + kPairsPerReply - 1) / kPairsPerReply;
    if (!kind.single && kind.asks < windows + 2) {
        ++kind.asks;
        Ask(code, 0, m);
        return;
    }
    if (!kind.single) {
        kind.single = true;
        kind.toAsk = std::move(missing);
    }
    while (!kind.toAsk.empty() && kind.seen.count(kind.toAsk.front()) != 0) {
        kind.toAsk.pop_front();
    }
    // A port the unit does not report when named is not asked for again.
    if (kind.toAsk.empty()) {
        kind.whole = true;
        return;
    }
    Ask(code, kind.toAsk.front(), m);
    kind.toAsk.pop_front();
}

std::vector<int32_t> PortSweep::Taken(const SEND_PACKET& request, const std::vector<int>& ports,
                                      std::optional<int32_t> step) {
    if (!Reading(request)) {
        return step ? std::vector<int32_t>{*step} : std::vector<int32_t>{};
    }
    const uint8_t m = request.data(1);
    const uint8_t code = request.bCommand;
    Read& read = reads_[m];
    if (code == kCmdGetDelayLow) {
        read.freshLow.insert(ports.begin(), ports.end());
        return {};
    }
    if (Paired(code)) {
        // Any answer during the read tells what the port holds now; only the
        // read's own questions are followed up (the poll's are not).
        Kind& kind = read.kinds[code];
        for (const int p : ports) {
            if (code != kCmdGetDelayHigh || read.freshLow.count(p) != 0) {
                kind.seen.insert(p);
            }
        }
        if (!kind.whole && request.lPriority == kReadPriority) {
            Follow(code, m, kind);
        }
    }
    const bool pending = std::any_of(read.kinds.begin(), read.kinds.end(),
                                     [](const auto& k) { return !k.second.whole; });
    const int32_t last = m == 0 ? model_.lLastStatusStep : model_.lLastMemoryStep;
    std::vector<int32_t> report;
    if (step && *step == last && pending) {
        read.lastHeld = true;
    } else if (step) {
        report.push_back(*step);
    }
    if (read.lastHeld && !pending) {
        read.lastHeld = false;
        report.push_back(last);
    }
    return report;
}

} // namespace quadrel
