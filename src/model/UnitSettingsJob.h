#pragma once

#include "link/Timer.h"
#include "link/TransmitQueue.h"
#include "model/RestorePlan.h"
#include "model/UnitSettings.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace quadrel {

class QuadrelCore;

// Saving and restoring the selected unit's settings, for the window and for
// quadrel-ctl alike: a job on the one change path. Every step waits for the
// answers to the step before it through the transmit queue, which tells the
// job of each of its frames; settings of one pass go out a few at a time.
// The plan is made from the model as it is when the restore is confirmed.
// Cancel, a lost port or a silent unit end it with the unit as the report
// says. The once-a-second poll rests while a job runs.
class UnitSettingsJob {
    Q_DECLARE_TR_FUNCTIONS(UnitSettingsJob)

public:
    // How the job ended.
    enum class Ending { Done, Cancelled, Refused, PortLost, UnitSilent };
    struct Outcome {
        bool ok = false;
        bool cancelled = false;
        Ending ending = Ending::Refused;
        QString message;                     // what went wrong, or what was done
        UnitSettings file;                   // the file saved, or the file to restore
        UnitSettings unit;                   // the unit as read afresh
        QStringList notes;                   // restore: other ID, name or firmware
        bool presets = false;                // restore: presets are part of it
        std::vector<Difference> differences; // restore: what the unit holds otherwise
        // After a restore: what the unit answered for (sent), what its read
        // back showed it holds (confirmed), what it still holds otherwise
        // (notTaken), and what may or may not have reached it because no read
        // back could tell (unknown).
        std::vector<Difference> sentChanges, confirmed, notTaken, unknown;
        bool putBack = false; // the live outputs were put back as they were
        bool readBack = false;
        int sent = 0, planned = 0;
    };
    using Done = std::function<void(const Outcome&)>;

    UnitSettingsJob(QuadrelCore& core, TimerFactory& timers);
    ~UnitSettingsJob();
    UnitSettingsJob(const UnitSettingsJob&) = delete;
    UnitSettingsJob& operator=(const UnitSettingsJob&) = delete;

    // Until its outcome has been told.
    bool Running() const { return running_ || tell_->isActive(); }
    // Changes the unit has answered for, of those planned, while a restore sends.
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
    // Sends what differs from the file now, then reads the unit back and
    // lists what it did not take.
    void Restore(const Outcome& prepared, Done done);
    // Stops sending: settings still waiting are withdrawn, a read under way
    // ends first. Outputs that carry a preset being passed through them get
    // the live state put back; then the unit is read back.
    void Cancel();

private:
    enum class Step { Info, ReadLive, ReadPreset, Set, SavePreset, PutBack };
    struct Item {
        Step step;
        Difference change;
        int location = 0;
        bool planned = true; // false for the put-back's settings
    };
    // One item handed to the queue, and how its frames fared.
    struct Run {
        Item item;
        int frames = 0, answered = 0, failed = 0;
        bool Done() const { return answered + failed == frames; }
    };

    void Start(std::deque<Item> items, std::function<void()> then, Done done);
    void Pump();
    void Submit(const Item& item);
    void OnFrame(const SEND_PACKET& packet, TransmitQueue::FrameEnd end);
    // Empty while the unit can still be reached, else why not.
    QString Lost(Ending& ending) const;
    void End(Outcome out);
    std::deque<Item> ReadItems(bool presets) const;
    UnitSettings ReadBack(bool presets) const;
    void AfterRestore();
    void Report();

    QuadrelCore& core_;
    // The outcome is told on a turn of its own: the last answer arrives deep
    // inside the receive path, where no dialog may open.
    std::unique_ptr<Timer> tell_;
    Outcome told_;
    Done tellTo_;
    std::function<void(int, int)> progress_;
    std::deque<Item> items_;
    std::vector<Run> runs_;
    std::function<void()> then_;
    Done done_;
    Outcome out_;
    uint32_t tag_ = 0;
    int idleListener_ = 0;
    int outstanding_ = 0; // frames queued and not yet done with
    bool lastWasSet_ = false;
    uint8_t id_ = 0;
    bool running_ = false;
    bool pollWasOn_ = false;
    bool restoring_ = false;
    bool carriesPreset_ = false; // the live outputs hold a preset's values
    bool readingBack_ = false;
    bool pumping_ = false, pumpAgain_ = false;
    int reported_ = -1;
};

} // namespace quadrel
