#pragma once

#include "model/Setting.h"

#include <QString>
#include <cstdint>

#include <functional>
#include <set>
#include <vector>

namespace quadrel {

class basCommunication;
class basQRD;

// One operator's change of one unit, as anyone asks it: the pages, undo, a
// restore, quadrel-ctl. Settings of ports, or a memory preset saved or
// loaded.
struct Change {
    enum class Kind { Set, PresetSave, PresetLoad };
    enum class Follow {
        AllPorts, // one query of each kind for all ports, after every setting
        EachPort, // a query of the same port right after each setting
        None,     // the caller reads back (a job)
    };
    struct Item {
        Setting setting = Setting::AudioRoute;
        int port = 1;
        int32_t value = 0; // a delay in milliseconds
    };

    Kind kind = Kind::Set;
    uint8_t unit = 0;
    std::vector<Item> items; // Set: sent in this order
    int location = 0;        // PresetSave, PresetLoad
    bool audio = false;      // PresetSave, PresetLoad: the sections the unit has
    bool video = false;
    int32_t priority = 0; // of the settings: 0 just made, 1 as a one-off request
    Follow follow = Follow::AllPorts;

    // The same value for several ports.
    static Change Of(uint8_t unit, Setting setting, const std::vector<int>& ports, int32_t value);
    static Change Of(uint8_t unit, const SettingValues& values);
    static Change Preset(Kind kind, uint8_t unit, int location, bool audio, bool video);
};

// The one routine that turns a change into frames: each setting first
// withdraws a waiting one of the same kind and port, which it makes useless,
// then the follow-up query withdraws its waiting twin. Frames carry the
// queue's current tag, so a job or the undo history knows them again.
class ChangePath {
public:
    ChangePath(basQRD& model, basCommunication& link) : model_(model), link_(link) {}

    // The kinds of setting queued; empty when nothing went to the queue (a
    // delay the unit cannot take, a preset of a unit without sections).
    std::set<Setting> Send(const Change& change);
    // The same, with every frame carrying `tag` and `step`.
    std::set<Setting> Send(const Change& change, uint32_t tag, int32_t step = -1);
    // The same, and `done` is told once every frame of the change is done
    // with: true when the unit answered each one. Under `tag` when given.
    void SendThen(const Change& change, std::function<void(bool answered)> done, uint32_t tag = 0);

    // Whether the one at the window may make a change: the reason it may
    // not, or empty. A refused change sends nothing and `onRefused` hears why.
    using Gate = std::function<QString(const Change&)>;
    void setGate(Gate gate, std::function<void(const QString& reason)> onRefused);
    QString Refusal(const Change& change) const;

    // While one lives, changes pass without the gate: quadrel-ctl and the
    // owner's socket act as the technician (they run as the machine's user),
    // and a job the technician started runs to its end.
    class Trusted {
    public:
        explicit Trusted(ChangePath& path) : path_(path) { ++path_.trusted_; }
        ~Trusted() { --path_.trusted_; }
        Trusted(const Trusted&) = delete;
        Trusted& operator=(const Trusted&) = delete;

    private:
        ChangePath& path_;
    };

private:
    // True when the change may go; tells the refusal otherwise.
    bool Admit(const Change& change);
    bool SendSetting(uint8_t id, const Change::Item& item, int32_t priority);
    void SendQuery(uint8_t id, Setting setting, int port);

    basQRD& model_;
    basCommunication& link_;
    Gate gate_;
    std::function<void(const QString&)> onRefused_;
    int trusted_ = 0;
};

} // namespace quadrel
