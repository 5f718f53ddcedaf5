#pragma once

#include "link/Timer.h"
#include "link/TransmitQueue.h"
#include "model/LastSeenStore.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace quadrel {

class basCommunication;
class basQRD;
class Views;

// What a scan knows before it asks: the units last seen on the port are
// asked first, and listed meanwhile as last seen (nothing of them is shown
// as current until they answer); the units it finds are kept for the next
// scan, the one chosen last first.
class ScanMemory {
public:
    ScanMemory(basQRD& model, basCommunication& link, Views& views, TimerFactory& timers);
    ~ScanMemory();
    ScanMemory(const ScanMemory&) = delete;
    ScanMemory& operator=(const ScanMemory&) = delete;

    LastSeenStore& store() { return store_; }

    // A scan starts on the open port: lists the units last seen there and
    // gives every ID in the order to ask: those first, then the rest from 0
    // up. Probes queued while tag() is current are the scan's.
    std::vector<uint8_t> Begin();
    uint32_t tag() const { return tag_; }
    // Whether the running scan asks `id` first, as last seen.
    bool AskedFirst(uint8_t id) const;
    const std::vector<uint8_t>& firstAsked() const { return first_; }
    // The scan ended: what it found is kept, and rows still listed as last
    // seen go (their units were not asked).
    void End();
    // Keeps the units found, the selected one first, with those last seen
    // that the scan has not asked yet; written only when that changed, from
    // the event loop: the next frame leaves first.
    void Keep();

private:
    void OnFrame(const SEND_PACKET& packet, TransmitQueue::FrameEnd end);
    void Write();

    basQRD& model_;
    basCommunication& link_;
    Views& views_;
    LastSeenStore store_;
    std::unique_ptr<Timer> write_;
    std::optional<std::pair<int, std::vector<LastSeenStore::Unit>>> unwritten_;
    uint32_t tag_ = 0;
    int port_ = 0; // the port number the running or last scan asked
    std::vector<uint8_t> first_;
    // Last seen, and neither found nor given up by the scan.
    std::vector<LastSeenStore::Unit> pending_;
};

} // namespace quadrel
