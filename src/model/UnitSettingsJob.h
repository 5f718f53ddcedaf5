#pragma once

#include "link/Timer.h"
#include "model/RestorePlan.h"
#include "model/UnitSettings.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

namespace quadrel {

class QuadrelCore;

// Saving and restoring the selected unit's settings, for the window and for
// quadrel-ctl alike. It asks only through the senders and the status reads,
// learns only from the model the reply handlers fill, and moves on when the
// line is idle, on a timer of its own, so it runs in virtual time in tests.
// The once-a-second poll rests while a job runs.
class UnitSettingsJob {
public:
    struct Outcome {
        bool ok = false;
        bool cancelled = false;
        QString message;                     // what went wrong, or what was done
        UnitSettings file;                   // the file saved, or the file to restore
        UnitSettings unit;                   // the unit as read afresh
        QStringList notes;                   // restore: other ID, name or firmware
        bool presets = false;                // restore: presets are part of it
        std::vector<Difference> differences; // restore: what the unit holds otherwise
        std::vector<Difference> notTaken;    // after a restore: what still differs
        int sent = 0, planned = 0;
    };
    using Done = std::function<void(const Outcome&)>;

    UnitSettingsJob(QuadrelCore& core, TimerFactory& timers);
    ~UnitSettingsJob();
    UnitSettingsJob(const UnitSettingsJob&) = delete;
    UnitSettingsJob& operator=(const UnitSettingsJob&) = delete;

    bool Running() const { return running_; }
    // Changes sent so far of those planned, while a restore sends.
    void setOnProgress(std::function<void(int done, int total)> progress) {
        progress_ = std::move(progress);
    }

    // Reads the selected unit afresh (every preset too when asked) and writes
    // its settings with `names` to `path`.
    void Save(const QString& path, bool presets, const UnitNames& names, const QString& savedAt,
              Done done);
    // Reads and checks the file, refuses one for another size or sections,
    // reads the unit afresh and lists the differences. Sends no setting.
    void Prepare(const QString& path, bool presets, Done done);
    // Sends what `prepared` found different, then reads the unit back and
    // lists what it did not take.
    void Restore(const Outcome& prepared, Done done);
    // Stops sending. A preset being passed through the outputs has the live
    // state put back; then the unit is read back as after a full restore.
    void Cancel();

private:
    enum class Step { Info, ReadLive, ReadPreset, Set, SavePreset, PutBack };
    struct Item {
        Step step;
        Difference change;
        int location = 0;
    };

    void Start(std::deque<Item> items, std::function<void()> then, Done done);
    void Tick();
    void Run(const Item& item);
    bool LineIdle() const;
    // Empty while the unit can still be reached, else why not.
    QString Lost() const;
    void End(Outcome out);
    std::deque<Item> ReadItems(bool presets) const;
    UnitSettings ReadBack(bool presets) const;
    void AfterRestore();

    QuadrelCore& core_;
    std::unique_ptr<Timer> tick_;
    std::function<void(int, int)> progress_;
    std::deque<Item> items_;
    std::function<void()> then_;
    Done done_;
    Outcome out_;
    uint8_t id_ = 0;
    bool running_ = false;
    bool pollWasOn_ = false;
    bool restoring_ = false;
    bool inPresetPass_ = false;
    int handed_ = 0;
    int reported_ = -1;
};

} // namespace quadrel
