#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>

namespace quadrel {

// Which values of a port the unit has reported since its tables were last
// cleared. A value it never reported is unknown, whatever its field holds:
// the fields start at 0, which also means "not muted" or "unplugged".
enum class Reported : uint8_t {
    Mute = 1,
    Volumn = 2,
    Bass = 4,
    Treble = 8,
    Subwoofer = 16,
    Delay = 32,
    Plug = 64,
    Edid = 128,
};
struct ReportedValues {
    uint8_t bits = 0;
    bool has(Reported r) const { return (bits & static_cast<uint8_t>(r)) != 0; }
    void mark(Reported r) { bits |= static_cast<uint8_t>(r); }
};

struct AUDIO_OUTPUT_STATUS {
    int32_t lPlugStatus = 0; // 1 plugged, 0 unplugged
    int32_t lMuteStatus = 0; // 1 muted
    int iVolumnLevel = 0;
    int iBassLevel = 0;
    int iTrebleLevel = 0;
    int iSubwooferLevel = 0;
    uint8_t bDelayLevelLow = 0; // waits here until the high byte arrives
    int32_t lDelayTime = 0;     // ms
    int iInputPort = 0;         // 0: nothing routed
    ReportedValues reported;    // mute, the levels and the delay
};

struct VIDEO_OUTPUT_STATUS {
    int32_t lPlugStatus = 0;
    int iInputPort = 0;
};

struct VIDEO_INPUT_STATUS {
    int32_t lPlugStatus = 0; // 1 plugged, 0 unplugged
    int32_t lEdidType = 0;   // 0 fixed EDID, 1 EDID of output 1
    ReportedValues reported; // the plug and the EDID
};

struct CROSSPOINT {
    bool blAudio = false;
    bool blVideo = false;
};

struct PORT_SELECT {
    bool blEnabled = false;
    bool blSelected = false;
};

constexpr int kMaxPort = 255;

// A table indexed by port number 1 to 255; any other index is refused, so a
// value from the line can never land outside it. Any cell handed out for
// writing counts as touched until the next Clear(), which skips an untouched
// table: most replies touch a few tables, and clearing all of them is a copy
// of some 150 KB.
template <typename T> class PortTable {
public:
    T& operator[](int port) {
        T& cell = cells_.at(Index(port));
        touched_ = true;
        return cell;
    }
    const T& operator[](int port) const { return cells_.at(Index(port)); }
    void Clear() {
        if (!touched_) {
            return;
        }
        // One block copy rather than a store per cell, which unoptimised and
        // sanitized builds make slow.
        static const std::array<T, kMaxPort> kEmpty{};
        cells_ = kEmpty;
        touched_ = false;
    }

private:
    static size_t Index(int port) {
        if (port < 1 || port > kMaxPort) {
            throw std::out_of_range("port number outside 1..255");
        }
        return static_cast<size_t>(port - 1);
    }
    std::array<T, kMaxPort> cells_{};
    bool touched_ = false;
};

// Crosspoints by input, then output, both 1 to 255.
class CrosspointTable {
public:
    CrosspointTable() : rows_(std::make_unique<std::array<PortTable<CROSSPOINT>, kMaxPort>>()) {}
    PortTable<CROSSPOINT>& operator[](int input) {
        PortTable<CROSSPOINT>& row = rows_->at(Index(input));
        touched_ = true;
        return row;
    }
    const PortTable<CROSSPOINT>& operator[](int input) const { return rows_->at(Index(input)); }
    void Clear() {
        if (!touched_) {
            return;
        }
        for (auto& row : *rows_) {
            row.Clear();
        }
        touched_ = false;
    }

private:
    static size_t Index(int input) {
        if (input < 1 || input > kMaxPort) {
            throw std::out_of_range("input number outside 1..255");
        }
        return static_cast<size_t>(input - 1);
    }
    std::unique_ptr<std::array<PortTable<CROSSPOINT>, kMaxPort>> rows_;
    bool touched_ = false;
};

} // namespace quadrel
