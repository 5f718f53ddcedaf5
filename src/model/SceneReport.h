#pragma once

#include "model/UnitSettings.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace quadrel {

// What a recall did to one unit the scene names.
struct SceneUnitReport {
    enum class State {
        Complete,   // every value the unit can take is on it, as read back
        Partial,    // read back, and some values are not on it
        NotOnLine,  // no unit answers at that ID, or another unit does: nothing sent
        Silent,     // it stopped answering during the recall
        Cancelled,  // the recall was cancelled while or before this unit was set
        NotReached, // the port went before this unit's turn
    };
    uint8_t id = 0;
    QString name; // as the scene knows it
    State state = State::NotReached;
    bool presetLoaded = false;
    // What the scene names that this unit could not be given, one line each:
    // ports past its counts, settings it has no control for, values changed
    // since the recall being undone.
    QStringList leftOut;
    // As UnitSettingsJob reports a restore: answered for, read back as set,
    // read back otherwise, not known (no read back).
    std::vector<Difference> sent, confirmed, notTaken, unknown;
    int planned = 0; // settings the recall meant to send to this unit

    // "Unit 0x02 (Audio 8x8): 12 values set, the unit took every one".
    QString Summary() const;
    // The summary, then one indented line per value left out, not taken or unknown.
    QStringList Lines() const;
};

// What a recall (or the undo or redo of one) did, unit by unit.
struct SceneReport {
    Q_DECLARE_TR_FUNCTIONS(SceneReport)

public:
    enum class Ending {
        Done,      // every unit Complete, nothing left out
        Partial,   // it ran to the end, but some unit or value was left out or not taken
        Cancelled, // the operator cancelled
        Refused,   // nothing was sent: no such scene, a damaged or out-of-range scene, busy
        PortLost,  // the port went
    };
    enum class Way { Recall, Undo, Redo };
    QString scene;
    Way way = Way::Recall;
    Ending ending = Ending::Refused;
    QString message; // one line: the outcome, or why it was refused
    std::vector<SceneUnitReport> units;
    int sent = 0, planned = 0;
    // Refused because the scene is damaged or a value is outside what its
    // unit takes (rather than a busy line).
    bool outOfRange = false;

    bool ok() const { return ending == Ending::Done; }
    // The message, then every unit's lines.
    QStringList Lines() const;
    // The message as the ending, the way and the counts make it.
    QString Headline() const;
};

// How far a recall has come: unit `unit` (0-based) of `units`, and of its
// settings `done` answered of `total` (0 of 0 while it is being read).
struct SceneProgress {
    int unit = 0, units = 0;
    uint8_t id = 0;
    int done = 0, total = 0;
};

} // namespace quadrel
