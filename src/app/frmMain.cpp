#include "app/frmMain.h"

#include "app/AppHooks.h"
#include "app/ComLine.h"
#include "app/WindowPlacement.h"
#include "app/frmOptions.h"
#include "log/frmLog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

#include <tuple>

namespace quadrel {

frmMain::frmMain(ComLine& line, basLog& log, AppHooks& hooks, QWidget* parent)
    : QMainWindow(parent), line_(line), log_(log), hooks_(hooks) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Caption(QStringLiteral("Quadrel"), QUADREL_VERSION_MAJOR, QUADREL_VERSION_MINOR,
                           QUADREL_VERSION_PATCH));
    BuildFrame();
    BuildActivityLine();
    line_.status().setOnChanged([this] { ShowPortStatus(); });
    ShowPortStatus();
    // The window sees every key before the control that has the focus.
    qApp->installEventFilter(this);
}

frmMain::~frmMain() {
    line_.status().setOnChanged(nullptr);
    Shutdown();
}

QString frmMain::Caption(const QString& title, int major, int minor, int revision) {
    return QStringLiteral("%1 %2.%3.%4")
        .arg(title)
        .arg(major)
        .arg(minor)
        .arg(revision, 2, 10, QLatin1Char('0'));
}

void frmMain::BuildFrame() {
    auto* central = new QWidget(this);
    TabStrip1_ = new QTabBar(central);
    TabStrip1_->setObjectName(QStringLiteral("TabStrip1"));
    // The pages are found by their keys; the captions are the window's language.
    const std::pair<const char*, QString> tabs[] = {
        {"Switch", tr("Switch")}, {"Audio", tr("Audio")}, {"Video", tr("Video")}};
    for (const auto& [key, caption] : tabs) {
        const int index = TabStrip1_->addTab(caption);
        TabStrip1_->setTabData(index, QString::fromLatin1(key));
    }
    auto* pages = new QWidget(central);
    pages->setObjectName(QStringLiteral("picPages"));
    auto* stack = new QGridLayout(pages);
    stack->setContentsMargins(0, 0, 0, 0);
    auto makePage = [&](const char* name) {
        auto* page = new QFrame(pages);
        page->setObjectName(QString::fromLatin1(name));
        page->setFrameShape(QFrame::StyledPanel);
        // The hidden pages count too, so the window does not change its
        // smallest size from page to page.
        QSizePolicy policy = page->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        page->setSizePolicy(policy);
        stack->addWidget(page, 0, 0);
        return page;
    };
    picSwitchWindow_ = makePage("picSwitchWindow");
    picAudioWindow_ = makePage("picAudioWindow");
    picVideoWindow_ = makePage("picVideoWindow");
    picAudioWindow_->hide();
    picVideoWindow_->hide();
    connect(TabStrip1_, &QTabBar::currentChanged, this,
            [this](int index) { TabStrip1_Click(TabStrip1_->tabData(index).toString()); });

    Frame1_ = new QFrame(central);
    Frame1_->setObjectName(QStringLiteral("Frame1"));
    cmdOptions_ = new QPushButton(tr("&Options"), Frame1_);
    cmdScan_ = new QPushButton(tr("S&can"), Frame1_);
    cmdExit_ = new QPushButton(tr("E&xit"), Frame1_);
    // A unit's settings to a file and back: beside Options, as they act on
    // the unit rather than on the program.
    cmdSaveSettings_ = new QPushButton(tr("Save unit settings…"), Frame1_);
    cmdSaveSettings_->setObjectName(QStringLiteral("cmdSaveSettings"));
    cmdRestoreSettings_ = new QPushButton(tr("Restore unit settings…"), Frame1_);
    cmdRestoreSettings_->setObjectName(QStringLiteral("cmdRestoreSettings"));
    auto* buttons = new QHBoxLayout(Frame1_);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(cmdOptions_);
    buttons->addWidget(cmdScan_);
    buttons->addSpacing(16);
    buttons->addWidget(cmdSaveSettings_);
    buttons->addWidget(cmdRestoreSettings_);
    buttons->addStretch();
    buttons->addWidget(cmdExit_);
    connect(cmdOptions_, &QPushButton::clicked, this, [this] { cmdOptions_Click(); });
    connect(cmdScan_, &QPushButton::clicked, this, [this] {
        if (hooks_.cmdScan_Click) {
            hooks_.cmdScan_Click();
        }
    });
    connect(cmdExit_, &QPushButton::clicked, this, [this] { close(); });
    connect(cmdSaveSettings_, &QPushButton::clicked, this, [this] {
        if (hooks_.SaveUnitSettings) {
            hooks_.SaveUnitSettings();
        }
    });
    connect(cmdRestoreSettings_, &QPushButton::clicked, this, [this] {
        if (hooks_.RestoreUnitSettings) {
            hooks_.RestoreUnitSettings();
        }
    });

    unitPaneHost_ = new QWidget(central);
    unitPaneHost_->setObjectName(QStringLiteral("picUnitPane"));
    auto* paneLayout = new QVBoxLayout(unitPaneHost_);
    paneLayout->setContentsMargins(0, 0, 0, 0);

    // The pages and the unit pane share the height; the operator moves the
    // line between them, and a taller window goes to the pages.
    splPanes_ = new QSplitter(Qt::Vertical, central);
    splPanes_->setObjectName(QStringLiteral("splPanes"));
    splPanes_->setChildrenCollapsible(false);
    splPanes_->addWidget(pages);
    splPanes_->addWidget(unitPaneHost_);
    splPanes_->setStretchFactor(0, 1);
    splPanes_->setStretchFactor(1, 0);

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(TabStrip1_);
    layout->addWidget(splPanes_, 1);
    layout->addWidget(Frame1_);
    setCentralWidget(central);

    BuildEditMenu();

    lblPortStatus_ = new QLabel(this);
    lblPortStatus_->setObjectName(QStringLiteral("lblPortStatus"));
    statusBar()->addWidget(lblPortStatus_, 1);
}

void frmMain::BuildEditMenu() {
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    const auto hook = [this](std::function<void()> AppHooks::*member) {
        return [this, member] {
            if (hooks_.*member) {
                (hooks_.*member)();
            }
        };
    };
    actUndo_ = edit->addAction(tr("&Undo"));
    actUndo_->setObjectName(QStringLiteral("actUndo"));
    connect(actUndo_, &QAction::triggered, this, hook(&AppHooks::Undo));
    actRedo_ = edit->addAction(tr("&Redo"));
    actRedo_->setObjectName(QStringLiteral("actRedo"));
    connect(actRedo_, &QAction::triggered, this, hook(&AppHooks::Redo));
    edit->addSeparator();
    QAction* goTo = edit->addAction(tr("&Go to input or output…"));
    goTo->setObjectName(QStringLiteral("actGoTo"));
    goTo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(goTo, &QAction::triggered, this, hook(&AppHooks::GoTo));
    // The keys answer from anywhere in the window even when the menu's
    // entries are disabled, if only to say that there is nothing to undo (a
    // text box keeps them while its text is being edited).
    const std::pair<QKeySequence, std::function<void()> AppHooks::*> steps[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Z), &AppHooks::Undo},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &AppHooks::Redo}};
    for (const auto& [keys, member] : steps) {
        auto* action = new QAction(member == &AppHooks::Undo ? tr("Undo") : tr("Redo"), this);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, hook(member));
        addAction(action);
    }
    UndoStepsChanged();
}

void frmMain::UndoStepsChanged() {
    const std::tuple<QAction*, bool, QString, QString, const char*> entries[] = {
        {actUndo_, true, tr("&Undo"), tr("&Undo: %1"), "Ctrl+Z"},
        {actRedo_, false, tr("&Redo"), tr("&Redo: %1"), "Ctrl+Shift+Z"}};
    for (const auto& [action, undo, words, wordsOfStep, keys] : entries) {
        const QString step = hooks_.NextStep ? hooks_.NextStep(undo) : QString();
        // The step in the menu, cut short; whole in the tool tip.
        const QString shown = fontMetrics().elidedText(step, Qt::ElideRight, 420);
        action->setText((step.isEmpty() ? words : wordsOfStep.arg(shown)) + QLatin1Char('\t') +
                        QKeySequence(QString::fromLatin1(keys)).toString(QKeySequence::NativeText));
        action->setToolTip(step);
        action->setEnabled(!step.isEmpty());
    }
}

void frmMain::ShowPortStatus() {
    const PortStatus& status = line_.status();
    lblPortStatus_->setText(status.Text());
    lblPortStatus_->setToolTip(status.devicePath());
    ActivityChanged();
}

void frmMain::BuildActivityLine() {
    lblActivity_ = new QLabel(this);
    lblActivity_->setObjectName(QStringLiteral("lblActivity"));
    lblActivity_->setTextFormat(Qt::PlainText);
    statusBar()->insertWidget(0, lblActivity_, 2);
}

void frmMain::ActivityChanged() {
    // Several changes in one handler become one redraw after it.
    if (activityPending_) {
        return;
    }
    activityPending_ = true;
    QTimer::singleShot(0, this, [this] { ShowActivity(); });
}

void frmMain::ShowActivity() {
    activityPending_ = false;
    const QString text = activitySource_ ? activitySource_() : QString();
    if (lblActivity_->text() != text) {
        lblActivity_->setText(text);
        lblActivity_->setAccessibleName(text);
    }
}

bool frmMain::ShowOptions() {
    frmOptions dialog(line_, hooks_.ClearUnitPane, this);
    if (hooks_.ExtendOptions) {
        hooks_.ExtendOptions(dialog);
    }
    openOptions_ = &dialog;
    dialog.exec();
    openOptions_ = nullptr;
    return dialog.blOptionsCancelled();
}

void frmMain::cmdOptions_Click() {
    if (hooks_.OptionsRefusal && !hooks_.OptionsRefusal().isEmpty()) {
        return;
    }
    if (!ShowOptions() && hooks_.SetScanning) {
        hooks_.SetScanning(true);
    }
}

void frmMain::TabStrip1_Click(const QString& key) {
    QWidget* front = nullptr;
    if (key == QLatin1String("Switch")) {
        front = picSwitchWindow_;
    } else if (key == QLatin1String("Audio")) {
        front = picAudioWindow_;
    } else if (key == QLatin1String("Video")) {
        front = picVideoWindow_;
    } else {
        return;
    }
    for (QWidget* page : {picSwitchWindow_, picAudioWindow_, picVideoWindow_}) {
        if (page != front) {
            page->hide();
        }
    }
    front->raise();
    front->show();
}

void frmMain::ShowLogWindow() {
    if (!frmLog_) {
        frmLog_ = std::make_unique<frmLog>(log_);
    }
    frmLog_->show();
    frmLog_->raise();
    frmLog_->activateWindow();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers();
        if (key->key() == Qt::Key_V && (mods & Qt::ControlModifier) && (mods & Qt::AltModifier)) {
            ShowLogWindow();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::HostPages(QWidget* switchView, QWidget* audioPage, QWidget* videoPage,
                        QWidget* unitPane) {
    const std::pair<QWidget*, QWidget*> pages[] = {
        {picSwitchWindow_, switchView}, {picAudioWindow_, audioPage}, {picVideoWindow_, videoPage}};
    for (const auto& [container, page] : pages) {
        // No scroll area around a page: each page fits the height the
        // splitter leaves it, and the audio page scrolls its panels itself.
        auto* layout = new QVBoxLayout(container);
        layout->setContentsMargins(4, 4, 4, 4);
        layout->addWidget(page);
    }
    unitPaneHost_->layout()->addWidget(unitPane);
}

void frmMain::AddBanner(QWidget* banner) {
    static_cast<QVBoxLayout*>(centralWidget()->layout())->insertWidget(0, banner);
}

void frmMain::SetBusyPointer(bool busy) {
    if (busy == busyPointer_) {
        return;
    }
    busyPointer_ = busy;
    if (busy) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
    }
}

void frmMain::SetScanCaption(const QString& caption) {
    cmdScan_->setText(caption);
}

void frmMain::TellRefusal(const QString& text) {
    // Later, from the event loop: a refusal found as the focus leaves a box
    // would otherwise open a window inside that change of focus.
    QTimer::singleShot(0, this, [this, text] { line_.messages().MsgBox(this, text); });
}

void frmMain::Enable_UnitSettings(bool enabled) {
    cmdSaveSettings_->setEnabled(enabled);
    cmdRestoreSettings_->setEnabled(enabled);
}

void frmMain::Unload() {
    close();
    Shutdown();
}

void frmMain::PlaceWindow(ProgramState* state) {
    state_ = state;
    splitterKept_ = WindowPlacement::Restore(state_, *this, *splPanes_, *TabStrip1_);
}

void frmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_ && !splitterKept_) {
        // Once the window system has given the window its size.
        QTimer::singleShot(0, splPanes_, [this] { WindowPlacement::ShareHeight(*splPanes_); });
    }
    shown_ = true;
}

void frmMain::closeEvent(QCloseEvent* event) {
    event->accept();
    Shutdown();
}

void frmMain::Shutdown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    // Kept only for a window the operator has seen, before anything closes.
    if (state_ != nullptr && shown_) {
        WindowPlacement::Save(*state_, *this, *splPanes_, *TabStrip1_);
    }
    if (frmLog_) {
        frmLog_->Unload();
    }
    if (openOptions_ != nullptr) {
        openOptions_->reject();
    }
    if (hooks_.ReleaseModel) {
        hooks_.ReleaseModel();
    }
    if (line_.port().isOpen()) {
        line_.port().close();
    }
}

} // namespace quadrel
