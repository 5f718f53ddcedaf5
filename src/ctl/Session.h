#pragma once

#include "ctl/Console.h"
#include "ctl/CtlCommand.h"
#include "ctl/CtlTrace.h"
#include "ctl/ExitStatus.h"
#include "link/basCOMM.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimer.h"
#include "model/QuadrelCore.h"
#include "model/ViewsHub.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QString>

namespace quadrel::ctl {

// One run of quadrel-ctl: the same core as the main window, with the console
// in place of the views. It sends only through the senders and the queue,
// learns results from the reply handlers and the model, and waits on the Qt
// event loop until the line is idle.
class Session {
public:
    struct Outcome {
        ExitStatus status = ExitStatus::Done;
        QString message;    // one line for standard error when not done
        QJsonObject result; // what to print
    };

    Session(const CtlCommand& command, PortFolders folders, QString settingsFile);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Console& console() { return console_; }
    // Ends the run at the next turn of the event loop (a signal arrived).
    void Interrupt();
    bool interrupted() const { return interrupted_; }

    Outcome Run();

private:
    Outcome OpenPort();
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
    void Send(const QRDSTA& unit);
    // What the unit reports back that differs from what was asked; empty when nothing.
    QString Mismatch(const QRDSTA& unit) const;
    bool StillAnswering(uint8_t id) const;

    const CtlCommand& command_;
    QString settingsFile_;
    basCOMM comm_;
    QtSerialPort port_;
    QtTimerFactory timers_;
    CtlTrace trace_;
    Console console_;
    ViewsHub hub_;
    QuadrelCore core_;
    QElapsedTimer sinceActivity_;
    bool portLost_ = false;
    bool stalled_ = false;
    bool interrupted_ = false;
    int interruptions_ = 0;
};

} // namespace quadrel::ctl
