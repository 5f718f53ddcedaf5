#pragma once

#include "link/SendPacket.h"

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace quadrel {

class basQRD;
class CommandSenders;

// Makes a read of the selected unit cover every port. One reply lists at most
// 127 ports (its length byte counts 255 data bytes), and a unit may list any
// subset of its ports in one reply: the sweep asks for all ports again a few
// times, then asks for each port still missing by its number, one question
// at a time. The read's last step is reported
// only once every kind it asked for is whole, so a read ends with every port known.
class PortSweep {
public:
    // Most ports one reply can list.
    static constexpr int kPairsPerReply = 127;

    PortSweep(basQRD& model, CommandSenders& senders) : model_(model), senders_(senders) {}

    // A read of location m (0: live) begins: what an earlier one saw is forgotten.
    void Begin(uint8_t m);
    // A reply to `request` was taken, listing `ports`; it reports `step`, if
    // any. Asks for what the read still lacks and gives the steps to report now.
    std::vector<int32_t> Taken(const SEND_PACKET& request, const std::vector<int>& ports,
                               std::optional<int32_t> step);

    // Ports the last read of location m asked for and the unit never
    // reported, by query code; empty when that read was whole.
    std::map<uint8_t, std::vector<int>> Missing(uint8_t m) const;

    // The ports the reply's pairs name.
    static std::vector<int> PortsOf(const Bytes& pairs, int length);

private:
    struct Kind {
        std::set<int> seen;
        int asks = 1;          // for all ports, the read's own included
        bool single = false;   // now asking port by port, one at a time
        std::deque<int> toAsk; // port by port: the ports not yet asked for
        bool whole = false;    // nothing more is asked
    };
    struct Read {
        std::map<uint8_t, Kind> kinds;
        std::set<int> freshLow; // outputs whose delay low byte this read has seen
        bool lastHeld = false;
    };

    // The request names a location being read of the selected unit.
    bool Reading(const SEND_PACKET& request) const;
    int PortCount(uint8_t code) const;
    void Ask(uint8_t code, int port, uint8_t m);
    void Follow(uint8_t code, uint8_t m, Kind& kind);

    basQRD& model_;
    CommandSenders& senders_;
    std::map<uint8_t, Read> reads_;
};

} // namespace quadrel
