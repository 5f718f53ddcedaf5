#include "link/FrameBuilder.h"

#include "link/basCRC8_Dallas_1_Wire.h"

#include <QVarLengthArray>

#include <algorithm>

namespace quadrel {

int GetMaxCommandLB(int code) {
    switch (code) {
    case 0:
        return 128;
    case 1:
        return 254;
    default:
        return 0;
    }
}

int FrameBuilder::MaxPayloadFor(uint8_t id) const {
    const UnitRef unit = units_.FindUnit(id);
    const int limit = IsUnitConnected(unit) ? unit->iMaxCommandLB() : GetMaxCommandLB(0);
    // A record not yet filled from its information reply has no limit of its
    // own; 0 would never let the frame loop finish.
    return limit > 0 ? limit : GetMaxCommandLB(0);
}

template <typename Take>
void FrameBuilder::ForEachFrame(uint8_t id, uint8_t command, int32_t priority,
                                const std::vector<SendItem>& items, Take take) const {
    // Payloads are mostly two bytes: no allocation of their own for those.
    QVarLengthArray<uint8_t, 64> payload;
    for (const SendItem& item : items) {
        if (const auto* byte = std::get_if<uint8_t>(&item)) {
            payload.push_back(*byte);
        } else {
            const Bytes& run = std::get<Bytes>(item);
            payload.append(run.data(), static_cast<qsizetype>(run.size()));
        }
    }

    const size_t limit = static_cast<size_t>(MaxPayloadFor(id));
    size_t position = 0;
    size_t remaining = static_cast<size_t>(payload.size());
    do {
        const size_t chunk = std::min(remaining, limit);
        const bool shortForm = chunk == 0 || chunk == 2;
        SEND_PACKET packet;
        packet.lPriority = priority;
        packet.bCommand = command;
        packet.bID = id;
        packet.bData.assign(payload.begin() + static_cast<std::ptrdiff_t>(position),
                            payload.begin() + static_cast<std::ptrdiff_t>(position + chunk));
        packet.iDataLength = static_cast<int>(chunk);

        Bytes& frame = packet.bFrame;
        frame.reserve(chunk + 4);
        frame.push_back(static_cast<uint8_t>((id & 0x1F) | 0x20));
        if (shortForm) {
            frame.push_back(static_cast<uint8_t>(command & 0x7F));
        } else {
            frame.push_back(static_cast<uint8_t>(command | 0x80));
            frame.push_back(static_cast<uint8_t>(chunk));
        }
        frame.insert(frame.end(), packet.bData.begin(), packet.bData.end());
        frame.push_back(
            basCRC8_Dallas_1_Wire::CalculateCrc8(frame, static_cast<int>(frame.size())));
        packet.iFrameLength = static_cast<int>(frame.size());

        take(std::move(packet));
        position += chunk;
        remaining -= chunk;
    } while (remaining > 0);
}

std::vector<SEND_PACKET> FrameBuilder::BuildFrames(uint8_t id, uint8_t command, int32_t priority,
                                                   const std::vector<SendItem>& items) const {
    std::vector<SEND_PACKET> frames;
    ForEachFrame(id, command, priority, items,
                 [&frames](SEND_PACKET&& packet) { frames.push_back(std::move(packet)); });
    return frames;
}

void FrameBuilder::SendCommand(uint8_t id, uint8_t command, int32_t priority,
                               const std::vector<SendItem>& items) {
    ForEachFrame(id, command, priority, items,
                 [this](const SEND_PACKET& packet) { queue_.QueueCommand(packet); });
}

} // namespace quadrel
