#pragma once

#include <QString>

#include <cstdint>
#include <map>
#include <vector>

namespace quadrel {

class ProgramState;

// The units a scan found on each port, kept in the program's state file from
// one run to the next (group "LastSeen", one key per port number). Without a
// state file they are kept for the run only. A damaged, foreign or
// oversized value reads as no units.
class LastSeenStore {
public:
    struct Unit {
        uint8_t id = 0;
        QString name; // as the unit last reported it
        bool operator==(const Unit&) const = default;
    };

    void setState(ProgramState* state) {
        state_ = state;
        read_.clear();
    }

    // As kept for `port`, in the order kept (the unit chosen last first): at
    // most 32, each ID once.
    std::vector<Unit> Units(int port) const;
    // Written only when it differs from what is kept.
    void Keep(int port, std::vector<Unit> units);

private:
    ProgramState* state_ = nullptr;
    mutable std::map<int, std::vector<Unit>> read_; // by port, as last read or kept
};

} // namespace quadrel
