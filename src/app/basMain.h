#pragma once

#include <QCoreApplication>

#include "app/AppHooks.h"
#include "app/ComLine.h"
#include "log/HeldTrace.h"
#include "log/basLog.h"
#include "model/NamesStore.h"
#include "model/PortSettings.h"
#include "model/ProgramState.h"
#include "model/QuadrelCore.h"
#include "model/StaffRules.h"
#include "model/ViewsHub.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>

namespace quadrel {

namespace service {
class LineService;
}
namespace remote {
class NetworkDoors;
}

class AudioPage;
class PortNaming;
class SwitchView;
class UnitPane;
class UnitSettingsUi;
class VideoPage;
class WindowLock;
class frmMain;

// The program: owns the state of every module and runs the start-up. The
// port, the timers, the message boxes, the log clock and the folders come
// from outside, so tests run it on fake ports, in virtual time and in
// temporary folders.
class basMain {
    Q_DECLARE_TR_FUNCTIONS(basMain)

public:
    struct Environment {
        basCOMM& comm;
        SerialPort& port;
        TimerFactory& timerFactory;
        MessageBoxes& messages;
        const LogClock& clock;
        QString settingsFile;  // PortSettings::DefaultFileName() in production
        QString programFolder; // holds the "LOG" folder
        // Why the last open failed, when the port layer can tell; may be empty.
        std::function<QString()> openFailureReason;
        // The program's state file (ProgramState::DefaultFileName() in
        // production); empty keeps nothing between runs.
        QString stateFile;
        // The operator's names of units and ports (NamesStore::DefaultFileName()
        // in production); empty keeps them only while the program runs.
        QString namesFile;
        // Who may change what (RolesFile::DefaultFileName() in production);
        // empty: nothing is kept, so the window cannot be locked.
        QString rolesFile = {};
    };

    explicit basMain(Environment env);
    ~basMain();
    basMain(const basMain&) = delete;
    basMain& operator=(const basMain&) = delete;

    // The start-up. True when the main window is showing and the program
    // runs on; false when it ended (no port, or Options cancelled).
    bool Main();

    // The real program's drawing: what a reply's handling tells the windows
    // is drawn `pause` after its next frame has been written, so that
    // whatever carries the bytes on (the pseudo-terminal's reader, the unit
    // emulator) has the processor first. The status line waits with them;
    // operator input draws the views at once.
    // Without this the window is drawn as the handling ends.
    void DrawAfterFrames(std::chrono::milliseconds pause);

    // Set the hooks before Main(); the port's events go through them.
    AppHooks& hooks() { return hooks_; }
    ComLine& line() { return line_; }
    basLog& log() { return log_; }
    QuadrelCore& core() { return core_; }
    ViewsHub& views() { return hub_; }
    // The pages, built with the main window; null before Main() loads it.
    SwitchView* switchView() const { return switchView_; }
    UnitPane* unitPane() const { return unitPane_; }
    AudioPage* audioPage() const { return audioPage_; }
    VideoPage* videoPage() const { return videoPage_; }
    // Null until Main() loads it.
    frmMain* mainWindow() const { return form_.get(); }
    UnitSettingsUi* unitSettings() const { return unitSettings_.get(); }
    NamesStore& names() { return names_; }
    // Null until Main() loads the window.
    PortNaming* naming() const { return naming_.get(); }
    // The window's role and its lock; null until Main() loads the window.
    WindowLock* lock() const { return lock_.get(); }
    // The network clients' doors; null until Main() loads the window.
    remote::NetworkDoors* doors() const { return doors_.get(); }
    // The network clients' listeners follow the settings file.
    void ApplyNetwork();
    QString TokensFile() const;

private:
    // Whether the window's role may do `action` on the selected unit; the
    // status line says why not.
    bool MayOnSelected(Action action);
    // Builds the lock with the window and puts its rules where they act.
    void WireLock();
    // Tells the operator why an undo or redo was not taken.
    void TellStep(ChangeHistory::Outcome outcome, bool undo);
    // The port went away: its device is watched and the port opened again,
    // then scanned, once it is back.
    void WatchLostPort();
    void TryReopen();
    // Scan on a closed port opens it first; false, with the reason on the
    // status line, when it will not open.
    bool OpenForScan();

    basCOMM& comm_;
    SerialPort& port_;
    MessageBoxes& messages_;
    PortSettings settings_;
    std::unique_ptr<ProgramState> state_; // null when nothing is kept
    ComLine line_;
    basLog log_;
    HeldTrace trace_{log_}; // the core's trace, held as the hub is
    bool arriving_ = false; // handling input: the status line is told after
    bool activityChanged_ = false;
    bool activityLater_ = false; // told with the views' drawing after frames
    TimerFactory& timerFactory_;
    AppHooks hooks_;
    ViewsHub hub_;
    std::unique_ptr<Timer> drawLater_;
    std::unique_ptr<Timer> reopen_;       // runs while a lost port is waited for
    QString lostDevice_;                  // the device the lost port was
    bool sawGone_ = false;                // and it has gone since
    std::unique_ptr<QObject> inputFirst_; // draws what waits before operator input
    QuadrelCore core_;
    std::unique_ptr<frmMain> form_;           // uses everything above
    std::unique_ptr<QObject> scanAfterPaint_; // starts the first scan
    std::unique_ptr<UnitSettingsUi> unitSettings_;
    NamesStore names_;
    std::unique_ptr<PortNaming> naming_;
    QString rolesFile_;
    std::unique_ptr<WindowLock> lock_; // gone before the window
    // Serves the port to quadrel-ctl and other programs while it is open.
    std::unique_ptr<service::LineService> service_;
    // The HTTP API and the text protocol, on the same service; gone first.
    std::unique_ptr<remote::NetworkDoors> doors_;
    SwitchView* switchView_ = nullptr; // owned by the window
    UnitPane* unitPane_ = nullptr;
    AudioPage* audioPage_ = nullptr;
    VideoPage* videoPage_ = nullptr;
};

} // namespace quadrel
