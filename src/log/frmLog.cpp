#include "log/frmLog.h"

#include "log/TraceFiguresView.h"
#include "log/TraceIcons.h"
#include "log/basLog.h"
#include "model/ProgramState.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QToolBar>

namespace quadrel {

namespace {
constexpr int kLinesMs = 200;
constexpr int kFiguresMs = 500;
const QString kStateGroup = QStringLiteral("LogWindow/");
} // namespace

frmLog::frmLog(basLog& log, QWidget* parent) : QMainWindow(parent), log_(log) {
    setWindowTitle(tr("Quadrel communication log"));
    setObjectName(QStringLiteral("frmLog"));

    Toolbar1_ = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1_->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1_->setMovable(false);
    Toolbar1_->setFloatable(false);
    Toolbar1_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnRun_ = Toolbar1_->addAction(RunIcon(), tr("Run"));
    btnRun_->setData(QStringLiteral("Run"));
    btnStop_ = Toolbar1_->addAction(StopIcon(), tr("Stop"));
    btnStop_->setData(QStringLiteral("Stop"));
    connect(Toolbar1_, &QToolBar::actionTriggered, this,
            [this](QAction* button) { Toolbar1_ButtonClick(button->data().toString()); });

    mnuRecord_ = menuBar()->addMenu(tr("&Record"));
    mnuRun_ = mnuRecord_->addAction(tr("&Run"));
    mnuStop_ = mnuRecord_->addAction(tr("&Stop"));
    connect(mnuRun_, &QAction::triggered, this, [this] { EnableLog(true); });
    connect(mnuStop_, &QAction::triggered, this, [this] { EnableLog(false); });

    mnuView_ = menuBar()->addMenu(tr("&View"));
    mnuToolBar_ = Choice(tr("&Tool Bar"), QStringLiteral("mnuToolBar"), "ToolBar", true);
    Toolbar1_->setVisible(mnuToolBar_->isChecked());
    connect(mnuToolBar_, &QAction::toggled, this, [this](bool on) {
        Toolbar1_->setVisible(on);
        // Lay the text box out now, not at the next turn of the event loop.
        layout()->activate();
        Form_Resize();
    });

    txtLog_ = new QPlainTextEdit(this);
    txtLog_->setObjectName(QStringLiteral("txtLog"));
    txtLog_->setReadOnly(true);
    // The trace is capped near 64 K characters; an undo history would not be.
    txtLog_->setUndoRedoEnabled(false);
    txtLog_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtLog_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setCentralWidget(txtLog_);
    UpdateFormats();

    AddOptions();
    AddFigures();
    resize(760, 480);
    linesTick_.setInterval(kLinesMs);
    linesTick_.setSingleShot(true);
    connect(&linesTick_, &QTimer::timeout, this, [this] { FlushLines(); });
    figuresTick_.setInterval(kFiguresMs);
    connect(&figuresTick_, &QTimer::timeout, this, [this] { figures_->Show(log_.figures()); });
    log_.setSink(this);
    EnableLog(log_.blShowTrace());
}

frmLog::~frmLog() {
    log_.setSink(nullptr);
    log_.setWatched(false);
}

QAction* frmLog::Choice(const QString& caption, const QString& name, const char* key,
                        bool fallback) {
    QAction* action = mnuView_->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(true);
    ProgramState* state = log_.state();
    const QString stateKey = kStateGroup + QLatin1String(key);
    const QVariant kept = state != nullptr ? state->Value(stateKey) : QVariant();
    // Anything but a kept true or false reads as the default.
    const QString text = kept.toString();
    action->setChecked(text == u"true" ? true : text == u"false" ? false : fallback);
    if (state != nullptr) {
        connect(action, &QAction::toggled, this,
                [state, stateKey](bool on) { state->SetValue(stateKey, on); });
    }
    return action;
}

void frmLog::AddOptions() {
    // Beyond Run and Stop: lines in words, the poll left out, the pieces of
    // input, the figures of each unit, a paused view, clearing and saving.
    mnuRecord_->addSeparator();
    mnuClear_ = mnuRecord_->addAction(tr("&Clear"));
    mnuClear_->setObjectName(QStringLiteral("mnuClear"));
    mnuSave_ = mnuRecord_->addAction(tr("Save &As..."));
    mnuSave_->setObjectName(QStringLiteral("mnuSave"));
    mnuSave_->setShortcut(QKeySequence::Save);
    connect(mnuClear_, &QAction::triggered, this, [this] { log_.ClearTrace(); });
    connect(mnuSave_, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, tr("Save the trace"), QStringLiteral("trace.txt"), tr("Text files (*.txt)"));
        if (!path.isEmpty()) {
            SaveTraceTo(path);
        }
    });

    mnuView_->addSeparator();
    mnuWords_ = Choice(tr("In &Words"), QStringLiteral("mnuWords"), "Words", false);
    mnuHidePolls_ = Choice(tr("&Hide Polls"), QStringLiteral("mnuHidePolls"), "HidePolls", false);
    mnuPieces_ = Choice(tr("Show Pi&eces"), QStringLiteral("mnuPieces"), "Pieces", false);
    mnuFigures_ = Choice(tr("&Figures"), QStringLiteral("mnuFigures"), "Figures", true);
    mnuPause_ = mnuView_->addAction(tr("&Pause"));
    mnuPause_->setObjectName(QStringLiteral("mnuPause"));
    mnuPause_->setCheckable(true);
    mnuPause_->setChecked(log_.paused());
    log_.setShowWords(mnuWords_->isChecked());
    log_.setHidePolls(mnuHidePolls_->isChecked());
    log_.setShowPieces(mnuPieces_->isChecked());
    connect(mnuWords_, &QAction::toggled, this, [this](bool on) { log_.setShowWords(on); });
    connect(mnuHidePolls_, &QAction::toggled, this, [this](bool on) { log_.setHidePolls(on); });
    connect(mnuPieces_, &QAction::toggled, this, [this](bool on) { log_.setShowPieces(on); });
    connect(mnuPause_, &QAction::toggled, this, [this](bool on) { log_.setPaused(on); });
}

void frmLog::AddFigures() {
    figures_ = new TraceFiguresView;
    dockFigures_ = new QDockWidget(tr("Figures per unit"), this);
    dockFigures_->setObjectName(QStringLiteral("dockFigures"));
    // Shown and hidden from the View menu only, always below the text.
    dockFigures_->setFeatures(QDockWidget::NoDockWidgetFeatures);
    dockFigures_->setWidget(figures_);
    addDockWidget(Qt::BottomDockWidgetArea, dockFigures_);
    // About six rows; the separator above it moves.
    resizeDocks({dockFigures_}, {fontMetrics().height() * 9}, Qt::Vertical);
    dockFigures_->setVisible(mnuFigures_->isChecked());
    connect(mnuFigures_, &QAction::toggled, this, [this](bool on) {
        dockFigures_->setVisible(on);
        if (on) {
            figures_->Show(log_.figures());
        }
        StartTicks();
    });
    figures_->Show(log_.figures());
}

bool frmLog::SaveTraceTo(const QString& path) {
    if (log_.SaveTrace(path, QStringLiteral(QUADREL_VERSION))) {
        return true;
    }
    QMessageBox::warning(this, windowTitle(), tr("The trace could not be saved to %1.").arg(path));
    return false;
}

void frmLog::ClearTrace() {
    waiting_.clear();
    toRemove_ = 0;
    inBox_ = 0;
    txtLog_->clear();
    figures_->Show(log_.figures());
}

void frmLog::EnableLog(bool blEnabled) {
    log_.setBlShowTrace(blEnabled);
    mnuStop_->setEnabled(blEnabled);
    btnStop_->setEnabled(blEnabled);
    mnuRun_->setEnabled(!blEnabled);
    btnRun_->setEnabled(!blEnabled);
}

void frmLog::Unload() {
    close();
}

void frmLog::Toolbar1_ButtonClick(const QString& key) {
    if (key == QLatin1String("Run")) {
        mnuRun_->trigger();
    } else if (key == QLatin1String("Stop")) {
        mnuStop_->trigger();
    }
}

QAction* frmLog::ToolbarButton(const QString& key) const {
    for (QAction* action : Toolbar1_->actions()) {
        if (action->data().toString() == key) {
            return action;
        }
    }
    return nullptr;
}

void frmLog::AppendTraceLine(const QString& text, TraceColour colour) {
    waiting_.emplace_back(text, colour);
    if (!linesTick_.isActive() && isVisible()) {
        linesTick_.start();
    }
}

void frmLog::StartTicks() {
    if (!isVisible()) {
        linesTick_.stop();
        figuresTick_.stop();
        return;
    }
    if (!waiting_.empty() || toRemove_ > 0) {
        linesTick_.start();
    }
    if (mnuFigures_->isChecked()) {
        figuresTick_.start();
    } else {
        figuresTick_.stop();
    }
}

void frmLog::RemoveLeadingTrace(qsizetype count) {
    // From the box first, then from the lines still waiting for it.
    const qsizetype fromBox = std::min(count, inBox_ - toRemove_);
    toRemove_ += fromBox;
    qsizetype rest = count - fromBox;
    size_t gone = 0;
    while (rest > 0 && gone < waiting_.size()) {
        QString& line = waiting_[gone].first;
        if (rest > line.size()) {
            rest -= line.size() + 1;
            ++gone;
        } else {
            line.remove(0, rest);
            rest = 0;
        }
    }
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(gone));
}

void frmLog::FlushLines() {
    linesTick_.stop();
    if (dockFigures_->isVisible()) {
        figures_->Show(log_.figures());
    }
    if (waiting_.empty() && toRemove_ == 0) {
        return;
    }
    QScrollBar* bar = txtLog_->verticalScrollBar();
    // Follow the newest line unless the operator has scrolled up to read.
    const bool follow = scrollPending_ || bar->value() >= bar->maximum();
    QTextDocument* document = txtLog_->document();
    QTextCursor cursor(document);
    cursor.beginEditBlock(); // one layout pass for the whole batch
    if (toRemove_ > 0) {
        // The document ends in the empty line that the next append fills.
        const qsizetype last = document->characterCount() - 1;
        cursor.setPosition(static_cast<int>(std::min(toRemove_, last)), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        inBox_ -= toRemove_;
        toRemove_ = 0;
    }
    cursor.movePosition(QTextCursor::End);
    // Lines of one colour in a row go in as one text; its line breaks
    // become the box's.
    QString run;
    for (size_t i = 0; i < waiting_.size(); ++i) {
        const auto& [text, colour] = waiting_[i];
        run += text;
        run += QLatin1Char('\n');
        inBox_ += text.size() + 1;
        if (i + 1 == waiting_.size() || waiting_[i + 1].second != colour) {
            cursor.insertText(run, formats_[static_cast<size_t>(colour)]);
            run.clear();
        }
    }
    cursor.endEditBlock();
    waiting_.clear();
    if (follow && !scrollPending_) {
        // Once the box has taken the new lines' height into its range.
        scrollPending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                scrollPending_ = false;
                QScrollBar* end = txtLog_->verticalScrollBar();
                end->setValue(end->maximum());
            },
            Qt::QueuedConnection);
    }
}

void frmLog::UpdateFormats() {
    for (size_t i = 0; i < formats_.size(); ++i) {
        formats_[i].setForeground(TraceLineColour(static_cast<TraceColour>(i), txtLog_->palette()));
    }
}

void frmLog::closeEvent(QCloseEvent* event) {
    // Only the operator's close (title bar, window menu) arrives from the
    // window system; the program's own closing, and quitting, go ahead.
    if (!event->spontaneous()) {
        event->accept();
        return;
    }
    event->ignore();
    hide();
}

void frmLog::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmLog::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The figures count while they can be seen; the lines wait for the box.
    log_.setWatched(true);
    FlushLines();
    StartTicks();
    Form_Resize();
}

void frmLog::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    linesTick_.stop();
    figuresTick_.stop();
    log_.setWatched(false);
}

void frmLog::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        UpdateFormats();
    }
}

void frmLog::Form_Resize() {
    if (isMinimized()) {
        return;
    }
    // The main window's layout puts the text box below the tool bar while
    // that is shown and at the top otherwise; only the buttons need syncing.
    EnableLog(log_.blShowTrace());
}

} // namespace quadrel
