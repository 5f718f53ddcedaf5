#pragma once

#include "model/PresetStore.h"
#include "model/Scene.h"
#include "model/Setting.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace quadrel {

class basCommunication;
class basQRD;
class ChangePath;
class Views;

// A scene's recall as one step of the history: on each unit, the values it
// replaced and the values it set (only those the units took or may have
// taken). Taken back and made again by SceneJob, not by Undo and Redo.
struct RecallStep {
    QString scene;
    std::vector<SceneUnit> before, after;
    bool operator==(const RecallStep&) const = default;
};

struct SettingChange {
    SettingKey key;
    int32_t before = 0;
    int32_t after = 0;
    bool operator==(const SettingChange&) const = default;
};

// The operator's last changes to the selected unit, to take back and to
// make again. Each is taken back by sending the values the model held
// before, through the queue as any change; only while the model still shows
// what the change set, so a change seen since (a poll, another operator) is
// never overwritten unasked.
class ChangeHistory {
    Q_DECLARE_TR_FUNCTIONS(ChangeHistory)

public:
    static constexpr size_t kMaxChanges = 100;

    enum class Outcome {
        Sent,         // the settings are queued
        Nothing,      // nothing to take back or to make again
        NoUnit,       // no answering unit is selected
        OtherUnit,    // the change was made on another unit
        Busy,         // a scan or a read is running: no operator's command now
        StillSending, // the change (or its answer) is still on the line
        Moved,        // the unit shows other values now: refused, and forgotten
        Forgotten,    // the line was scanned again, its port changed or the unit lost
        Recall,       // the step is a scene's recall: SceneJob::Undo or Redo takes it
        Refused,      // the one at the window may not make it: kept, and the reason told
    };

    ChangeHistory(basQRD& model, basCommunication& link, ChangePath& path, Views& views);

    // The value the model holds now.
    int32_t Current(const SettingKey& key) const;
    // Every value the selected unit supports, for outputs and inputs.
    SettingValues LiveValues() const;
    // The keys of `target` whose value differs from the live one, with both.
    std::vector<SettingChange> DifferencesFrom(const SettingValues& target) const;

    // Called by a page just before it sends: `target` holds the values about
    // to be set on the selected unit. Keys already at their value are left
    // out; a change that sets nothing is not kept. Returns the tag the
    // change's frames are to carry (see ChangePath::Send): a change made
    // again while the last one's setting still waits in the queue (a held
    // arrow key) joins it as one step.
    uint32_t Record(const SettingValues& target);
    // The same value for several ports.
    static void Add(SettingValues& target, Setting setting, const std::vector<int>& ports,
                    int32_t value);
    // The outputs' known values as settings; an empty value is no part of it.
    static SettingValues Of(const UnitValues& values);

    Outcome Undo();
    Outcome Redo();

    // A recall that sent anything becomes the newest step, as one.
    void RecordRecall(RecallStep step);
    // Whether the step Undo (or Redo) would take is a recall, and which.
    bool NextIsRecall(bool undo) const { return NextRecall(undo) != nullptr; }
    const RecallStep* NextRecall(bool undo) const;
    // The recall step was taken back (or made again): it moves to the other
    // side, holding what this time replaced and set; an empty step is dropped.
    void RecallStepped(bool undo, RecallStep step);
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // The step an Undo (or Redo) would send, in words: "Output 1: volume 80
    // → 51"; empty when there is none.
    QString NextStep(bool undo) const;
    // Told after anything that may change what Undo and Redo would do.
    void setOnChanged(std::function<void()> onChanged) { onChanged_ = std::move(onChanged); }
    void Clear();
    // The units the steps were made on are gone: every step is forgotten, and
    // the next Undo or Redo says why.
    void Forget(const QString& why);
    // Unit `id` stopped answering: its steps are forgotten.
    void ForgetUnit(uint8_t id, const QString& why);

    // What the operator is told when a step is not taken; empty for none.
    static QString Message(Outcome outcome, uint8_t unit);
    // The same, for the last Undo or Redo asked of this history.
    QString Message(Outcome outcome) const;
    // The unit an Undo or Redo would act on (the last one asked about).
    uint8_t lastUnit() const { return lastUnit_; }
    // The step the last Undo or Redo sent, in words: "Output 1: volume 80 → 51".
    const QString& lastStep() const { return lastStep_; }

    // One line per port that changes, for a question: "Output 3: audio
    // input 2 → 5, volume 50 → 80".
    static QStringList Describe(const std::vector<SettingChange>& changes);

private:
    // The unit as it was when the change was made: a unit that answers at the
    // same ID on another port, or reports another name or size, is another.
    struct UnitKey {
        int port = 0;
        uint8_t id = 0;
        QString name;
        int inputs = 0, outputs = 0;
        bool operator==(const UnitKey&) const = default;
    };
    struct Change {
        UnitKey unit;
        std::vector<SettingChange> items;
        uint32_t tag = 0;                         // of the frames that made it
        std::shared_ptr<const RecallStep> recall; // a scene's recall, over any units
    };
    enum class Way { Back, Again };
    // Tells the listener when it goes out of scope.
    struct Notify {
        const ChangeHistory& history;
        ~Notify() {
            if (history.onChanged_) {
                history.onChanged_();
            }
        }
    };

    UnitKey KeyOfSelected() const;
    Outcome Step(std::deque<Change>& from, std::deque<Change>& to, Way way);
    bool Supported(Setting setting) const;

    basQRD& model_;
    basCommunication& link_;
    ChangePath& path_;
    Views& views_;
    QString forgotten_;       // why the steps went, until the next change
    QString refusal_;         // why the last Undo or Redo was refused
    QString lastStep_;        // the step the last Undo or Redo sent, in words
    std::deque<Change> undo_; // newest last
    std::deque<Change> redo_;
    uint8_t lastUnit_ = 0;
    std::function<void()> onChanged_;
};

} // namespace quadrel
