#pragma once

#include "ctl/Console.h"
#include "ctl/CtlCommand.h"
#include "ctl/CtlTrace.h"
#include "ctl/ExitStatus.h"
#include "link/basCOMM.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimer.h"
#include "model/QuadrelCore.h"
#include "model/Scene.h"
#include "model/ViewsHub.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <memory>
#include <tuple>

namespace quadrel::ctl {

// One run of quadrel-ctl: the same core as the main window, with the console
// in place of the views. It sends only through the senders and the queue,
// learns results from the reply handlers and the model, and waits on the Qt
// event loop until the line is idle. On a free port it opens the port and
// builds a core of its own; for a client of the line's owner it runs on the
// owner's core, which polls and keeps its selected unit read.
class Session {
public:
    struct Outcome {
        ExitStatus status = ExitStatus::Done;
        QString message;    // one line for standard error when not done
        QJsonObject result; // what to print
    };

    Session(const CtlCommand& command, PortFolders folders, QString settingsFile);
    // What a command needs of the owner's line. The console must see what
    // the owner's unit pane is told while the command runs.
    struct OwnerLine {
        QuadrelCore& core;
        TimerFactory& timers;
        Console& console;
        int portNumber = 0;
        std::function<bool()> portOpen;
        // Makes `unit` the selected one and reads it, as the unit list does.
        std::function<void(const UnitRef&)> select;
    };
    Session(const CtlCommand& command, OwnerLine owner);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Console& console() { return console_; }
    // Ends the run at the next turn of the event loop (a signal arrived, or
    // the owner's client went): a restore is cancelled as its report says.
    void Interrupt();
    bool interrupted() const { return interrupted_; }
    // The owner's port went while the command ran.
    void PortLost() { portLost_ = true; }

    Outcome Run();

private:
    // The port and core of a run on a free port.
    struct Own;
    Outcome OpenPort();
    bool PortOpen() const;
    bool onOwner() const { return own_ == nullptr; }
    // Runs the event loop until nothing is queued, awaited or being read.
    // False when the port went, the line stalled or the run was interrupted.
    bool WaitIdle();
    bool Idle() const;
    Outcome LineFailure() const;
    // The unit's information and live state, asking only that unit.
    Outcome ReadUnit(uint8_t id);
    Outcome Scan();
    Outcome Show();
    Outcome Change();
    // save and restore: the window's own routine, on the console.
    Outcome Settings();
    // scene list, show and recall: the scenes file, and the recall job.
    Outcome Scenes();
    // The scene to recall from the scenes file, or why there is none to
    // send; asked before the port is taken.
    Outcome FindScene();
    Outcome RecallScene();
    void Send(const QRDSTA& unit);
    // What the unit reports back that differs from what was asked; empty when nothing.
    QString Mismatch(const QRDSTA& unit) const;
    bool StillAnswering(uint8_t id) const;
    // The unit is the selected one, its read has ended whole and it still answers.
    bool ReadThrough(const UnitRef& unit) const;

    const CtlCommand& command_;
    QString settingsFile_;
    std::unique_ptr<Own> own_;
    std::function<bool()> ownerPortOpen_;
    std::function<void(const UnitRef&)> select_;
    int portNumber_ = 0;
    QuadrelCore& core_;
    TimerFactory& timers_;
    Console& console_;
    QElapsedTimer sinceActivity_;
    // The queue as last seen: a change is the line's progress.
    std::tuple<uint32_t, int, bool> lineSeen_{};
    Scene scene_; // scene recall: as the file holds it
    bool portLost_ = false;
    bool stalled_ = false;
    bool interrupted_ = false;
    int interruptions_ = 0;
};

} // namespace quadrel::ctl
