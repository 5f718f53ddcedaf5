#include "log/frmLog.h"

#include "log/TraceIcons.h"
#include "log/basLog.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolBar>

namespace quadrel {

frmLog::frmLog(basLog& log, QWidget* parent) : QMainWindow(parent), log_(log) {
    setWindowTitle(QStringLiteral("TLY 通訊記錄"));
    setObjectName(QStringLiteral("frmLog"));

    Toolbar1_ = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1_->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1_->setMovable(false);
    Toolbar1_->setFloatable(false);
    Toolbar1_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnRun_ = Toolbar1_->addAction(RunIcon(), QStringLiteral("Run"));
    btnRun_->setData(QStringLiteral("Run"));
    btnStop_ = Toolbar1_->addAction(StopIcon(), QStringLiteral("Stop"));
    btnStop_->setData(QStringLiteral("Stop"));
    connect(Toolbar1_, &QToolBar::actionTriggered, this,
            [this](QAction* button) { Toolbar1_ButtonClick(button->data().toString()); });

    mnuRecord_ = menuBar()->addMenu(QStringLiteral("記錄(&R)"));
    mnuRun_ = mnuRecord_->addAction(QStringLiteral("開始記錄(&R)"));
    mnuStop_ = mnuRecord_->addAction(QStringLiteral("停止記錄(&S)"));
    connect(mnuRun_, &QAction::triggered, this, [this] { EnableLog(true); });
    connect(mnuStop_, &QAction::triggered, this, [this] { EnableLog(false); });

    mnuView_ = menuBar()->addMenu(QStringLiteral("檢視(&V)"));
    mnuToolBar_ = mnuView_->addAction(QStringLiteral("工具列(&T)"));
    mnuToolBar_->setCheckable(true);
    mnuToolBar_->setChecked(true);
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

    AddOptions();
    resize(640, 400);
    traceClock_.start();
    log_.setElapsed([this] { return traceClock_.elapsed(); });
    log_.setSink(this);
    ShowFigures(log_.words().FiguresText());
    EnableLog(log_.blShowTrace());
}

frmLog::~frmLog() {
    log_.setSink(nullptr);
    log_.setElapsed({});
}

void frmLog::AddOptions() {
    // Beyond Run and Stop: lines in words, the poll left out, a paused view,
    // clearing and saving, and the figures of each unit below the text.
    auto option = [](QMenu* menu, const QString& caption, const QString& name) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    mnuRecord_->addSeparator();
    mnuClear_ = option(mnuRecord_, QStringLiteral("清除(&C)"), QStringLiteral("mnuClear"));
    mnuSave_ = option(mnuRecord_, QStringLiteral("另存新檔(&A)..."), QStringLiteral("mnuSave"));
    mnuSave_->setShortcut(QKeySequence::Save);
    connect(mnuClear_, &QAction::triggered, this, [this] { log_.ClearTrace(); });
    connect(mnuSave_, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, mnuSave_->text(), QStringLiteral("trace.txt"), QStringLiteral("Text (*.txt)"));
        if (!path.isEmpty()) {
            SaveTraceTo(path);
        }
    });

    mnuView_->addSeparator();
    mnuWords_ = option(mnuView_, QStringLiteral("文字說明(&W)"), QStringLiteral("mnuWords"));
    mnuHidePolls_ =
        option(mnuView_, QStringLiteral("隱藏輪詢(&H)"), QStringLiteral("mnuHidePolls"));
    mnuPause_ = option(mnuView_, QStringLiteral("暫停畫面(&P)"), QStringLiteral("mnuPause"));
    for (QAction* a : {mnuWords_, mnuHidePolls_, mnuPause_}) {
        a->setCheckable(true);
    }
    mnuWords_->setChecked(log_.showWords());
    mnuHidePolls_->setChecked(log_.hidePolls());
    mnuPause_->setChecked(log_.paused());
    connect(mnuWords_, &QAction::toggled, this, [this](bool on) { log_.setShowWords(on); });
    connect(mnuHidePolls_, &QAction::toggled, this, [this](bool on) { log_.setHidePolls(on); });
    connect(mnuPause_, &QAction::toggled, this, [this](bool on) { log_.setPaused(on); });

    lblFigures_ = new QLabel(this);
    lblFigures_->setObjectName(QStringLiteral("lblFigures"));
    lblFigures_->setAccessibleName(QStringLiteral("Figures per unit"));
    statusBar()->addWidget(lblFigures_, 1);
}

bool frmLog::SaveTraceTo(const QString& path) {
    if (log_.SaveTrace(path)) {
        return true;
    }
    QMessageBox::warning(this, windowTitle(), QStringLiteral("%1\n%2").arg(mnuSave_->text(), path));
    return false;
}

void frmLog::ClearTrace() {
    txtLog_->clear();
}

void frmLog::ShowFigures(const QString& text) {
    lblFigures_->setText(text);
    lblFigures_->setToolTip(text);
}

void frmLog::EnableLog(bool blEnabled) {
    if (blEnabled && !log_.blShowTrace()) {
        traceClock_.restart();
    }
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
    QScrollBar* bar = txtLog_->verticalScrollBar();
    // Follow the newest line unless the operator has scrolled up to read;
    // scroll once per turn of the event loop, not once per line.
    const bool follow = scrollPending_ || bar->value() >= bar->maximum();
    QTextCharFormat format;
    format.setForeground(TraceLineColour(colour, txtLog_->palette()));
    QTextCursor cursor(txtLog_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock(); // one layout pass for the line and its break
    cursor.insertText(text, format);
    cursor.insertBlock();
    cursor.endEditBlock();
    if (follow && !scrollPending_) {
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

void frmLog::RemoveLeadingTrace(qsizetype count) {
    QTextDocument* document = txtLog_->document();
    // The document ends in the empty line that the next append fills.
    const qsizetype last = document->characterCount() - 1;
    QTextCursor cursor(document);
    cursor.setPosition(static_cast<int>(std::min(count, last)), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
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
    Form_Resize();
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
