#pragma once

#include "model/ViewParts.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QFrame;
class QAction;
class QLabel;
class QPushButton;
class QSplitter;
class QTabBar;

namespace quadrel {

class ComLine;
class ProgramState;
class basLog;
class frmLog;
class frmOptions;
struct AppHooks;

// The main window's frame: caption, the three pages behind their tabs, the
// command buttons, the key that opens the log window, the status line of
// the port, and the shutdown that closes everything.
class frmMain : public QMainWindow, public FramePart {
    Q_OBJECT
public:
    frmMain(ComLine& line, basLog& log, AppHooks& hooks, QWidget* parent = nullptr);
    ~frmMain() override;

    // "Quadrel 2.2.01": the revision has at least two digits.
    static QString Caption(const QString& title, int major, int minor, int revision);

    // Shows the options dialog modal; true when it was cancelled (or closed
    // without a successful OK).
    bool ShowOptions();
    void cmdOptions_Click();
    // Page switch by tab key; an unknown key changes nothing.
    void TabStrip1_Click(const QString& key);
    // Shows the log window, creating it on first use.
    void ShowLogWindow();
    // Closes the window and runs the shutdown, as closing it does.
    void Unload();
    // The Edit menu's Undo and Redo name the step they would send.
    void UndoStepsChanged();
    QAction* actUndo() const { return actUndo_; }
    QAction* actRedo() const { return actRedo_; }

    // The hourglass while the program reads or scans, the arrow otherwise.
    void SetBusyPointer(bool busy) override;
    void SetScanCaption(const QString& caption) override;
    void Enable_UnitSettings(bool enabled) override;
    void TellRefusal(const QString& text) override;
    bool IsBusyPointer() const { return busyPointer_; }

    QTabBar* TabStrip1() const { return TabStrip1_; }
    QWidget* picSwitchWindow() const { return picSwitchWindow_; }
    QWidget* picAudioWindow() const { return picAudioWindow_; }
    QWidget* picVideoWindow() const { return picVideoWindow_; }
    QFrame* Frame1() const { return Frame1_; }
    QPushButton* cmdExit() const { return cmdExit_; }
    QPushButton* cmdScan() const { return cmdScan_; }
    QPushButton* cmdOptions() const { return cmdOptions_; }
    QPushButton* cmdSaveSettings() const { return cmdSaveSettings_; }
    QPushButton* cmdRestoreSettings() const { return cmdRestoreSettings_; }
    QLabel* lblPortStatus() const { return lblPortStatus_; }
    // What the program is doing, left of the port in the status line.
    QLabel* lblActivity() const { return lblActivity_; }
    // Where that text comes from; it is read again after ActivityChanged(),
    // once the handler that changed it has ended.
    void setActivitySource(std::function<QString()> source) { activitySource_ = std::move(source); }
    void ActivityChanged();
    // Null until Ctrl+Alt+V first opens it.
    frmLog* logWindow() const { return frmLog_.get(); }

    // Sizes and places the window for its screen, as it was left when
    // `state` keeps that (may be null: a first start every time), and keeps
    // it there again at shutdown. Before the window is first shown.
    void PlaceWindow(ProgramState* state);
    QSplitter* splPanes() const { return splPanes_; }

    // Puts the pages into their containers and the unit pane below them;
    // the window owns them from then on.
    void HostPages(QWidget* switchView, QWidget* audioPage, QWidget* videoPage, QWidget* unitPane);
    // A banner above the pages (the lock's); the window owns it from then on.
    void AddBanner(QWidget* banner);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildFrame();
    void ShowPortStatus();
    void BuildActivityLine();
    void BuildEditMenu();
    void ShowActivity();
    void Shutdown();

    ComLine& line_;
    basLog& log_;
    AppHooks& hooks_;
    QTabBar* TabStrip1_ = nullptr;
    QWidget* picSwitchWindow_ = nullptr;
    QWidget* picAudioWindow_ = nullptr;
    QWidget* picVideoWindow_ = nullptr;
    QFrame* Frame1_ = nullptr;
    QWidget* unitPaneHost_ = nullptr;
    QSplitter* splPanes_ = nullptr;
    ProgramState* state_ = nullptr;
    bool shown_ = false;
    bool splitterKept_ = false;
    QPushButton* cmdExit_ = nullptr;
    QPushButton* cmdScan_ = nullptr;
    QPushButton* cmdOptions_ = nullptr;
    QPushButton* cmdSaveSettings_ = nullptr;
    QPushButton* cmdRestoreSettings_ = nullptr;
    QLabel* lblPortStatus_ = nullptr;
    QAction* actUndo_ = nullptr;
    QAction* actRedo_ = nullptr;
    QLabel* lblActivity_ = nullptr;
    std::function<QString()> activitySource_;
    bool activityPending_ = false;
    std::unique_ptr<frmLog> frmLog_;
    frmOptions* openOptions_ = nullptr;
    bool shutDown_ = false;
    bool busyPointer_ = false;
};

} // namespace quadrel
