#pragma once

#include "log/TraceSink.h"

#include <QMainWindow>
#include <QTextCharFormat>
#include <QTimer>

#include <array>
#include <utility>
#include <vector>

class QAction;
class QDockWidget;
class QMenu;
class QPlainTextEdit;
class QToolBar;

namespace quadrel {

class TraceFiguresView;
class basLog;

// The trace window: shows the lines of the trace and starts and stops it.
// Closing it from its title bar only hides it, so the text survives and a
// hidden window goes on collecting while tracing runs.
//
// Lines reach the text box in batches, at most five times a second and only
// while the window is shown: a line costs the box a layout and a repaint of
// what it shows, a batch the same once. The figures are redrawn at most
// twice a second, and only when they changed.
class frmLog : public QMainWindow, public TraceSink {
    Q_OBJECT
public:
    explicit frmLog(basLog& log, QWidget* parent = nullptr);
    ~frmLog() override;

    // Switches tracing and makes Run and Stop match: exactly one of the two
    // can be chosen.
    void EnableLog(bool blEnabled);

    // Closes for good, as the program does when it ends. Closing from the
    // title bar only hides the window.
    void Unload();

    // Tool-bar button by key ("Run", "Stop"); any other key does nothing.
    void Toolbar1_ButtonClick(const QString& key);

    void AppendTraceLine(const QString& text, TraceColour colour) override;
    void RemoveLeadingTrace(qsizetype count) override;
    void ClearTrace() override;
    // Puts the lines that wait into the text box and the figures into their
    // table now rather than at the next tick.
    void FlushLines();

    // Saves what the window holds; false, with a message box, on failure.
    bool SaveTraceTo(const QString& path);

    QToolBar* Toolbar1() const { return Toolbar1_; }
    QAction* ToolbarButton(const QString& key) const;
    QPlainTextEdit* txtLog() const { return txtLog_; }
    QMenu* mnuRecord() const { return mnuRecord_; }
    QAction* mnuRun() const { return mnuRun_; }
    QAction* mnuStop() const { return mnuStop_; }
    QMenu* mnuView() const { return mnuView_; }
    QAction* mnuToolBar() const { return mnuToolBar_; }
    QAction* mnuWords() const { return mnuWords_; }
    QAction* mnuHidePolls() const { return mnuHidePolls_; }
    QAction* mnuPieces() const { return mnuPieces_; }
    QAction* mnuFigures() const { return mnuFigures_; }
    QAction* mnuPause() const { return mnuPause_; }
    QAction* mnuClear() const { return mnuClear_; }
    QAction* mnuSave() const { return mnuSave_; }
    TraceFiguresView* figures() const { return figures_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void Form_Resize();
    void AddOptions();
    void AddFigures();
    // A View choice kept in the program's state between runs.
    QAction* Choice(const QString& caption, const QString& name, const char* key, bool fallback);
    void UpdateFormats();
    void StartTicks();

    basLog& log_;
    QToolBar* Toolbar1_ = nullptr;
    QAction* btnRun_ = nullptr;
    QAction* btnStop_ = nullptr;
    QPlainTextEdit* txtLog_ = nullptr;
    QMenu* mnuRecord_ = nullptr;
    QAction* mnuRun_ = nullptr;
    QAction* mnuStop_ = nullptr;
    QMenu* mnuView_ = nullptr;
    QAction* mnuToolBar_ = nullptr;
    QAction* mnuWords_ = nullptr;
    QAction* mnuHidePolls_ = nullptr;
    QAction* mnuPieces_ = nullptr;
    QAction* mnuFigures_ = nullptr;
    QAction* mnuPause_ = nullptr;
    QAction* mnuClear_ = nullptr;
    QAction* mnuSave_ = nullptr;
    QDockWidget* dockFigures_ = nullptr;
    TraceFiguresView* figures_ = nullptr;

    // Lines not yet in the text box, and the characters to take from its top.
    std::vector<std::pair<QString, TraceColour>> waiting_;
    qsizetype toRemove_ = 0;
    qsizetype inBox_ = 0; // characters in the box, a line break counting one
    bool scrollPending_ = false;
    QTimer linesTick_;   // runs while lines wait and the window is shown
    QTimer figuresTick_; // runs while the figures are shown
    std::array<QTextCharFormat, 5> formats_;
};

} // namespace quadrel
