#include "app/basMain.h"

#include "app/ImageKeys.h"
#include "app/NetworkPage.h"
#include "app/PortNaming.h"
#include "app/RolesPage.h"
#include "app/SwitchView.h"
#include "app/UnitPane.h"
#include "app/UnitSettingsUi.h"
#include "app/WindowLock.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "control/AudioPage.h"
#include "control/VideoPage.h"
#include "remote/NetworkDoors.h"
#include "service/LineService.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <utility>

namespace quadrel {

namespace {

// Operator input is taken with the window as the model stands.
class InputFirst : public QObject {
public:
    explicit InputFirst(ViewsHub& hub) : hub_(hub) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::ShortcutOverride:
            hub_.RunWaiting();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    ViewsHub& hub_;
};

// Runs `then` once the window has painted for the first time (or after half
// a second, should it never be shown), from the event loop.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget& window, std::function<void()> then)
        : window_(window), then_(std::move(then)) {
        window_.installEventFilter(this);
        QTimer::singleShot(500, this, [this] { Run(); });
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest) {
            // After the painting under way.
            QTimer::singleShot(0, this, [this] { Run(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Run() {
        if (then_) {
            window_.removeEventFilter(this);
            std::exchange(then_, nullptr)();
        }
    }
    QWidget& window_;
    std::function<void()> then_;
};

} // namespace

basMain::basMain(Environment env)
    : comm_(env.comm), port_(env.port), messages_(env.messages),
      settings_(std::move(env.settingsFile)), line_(comm_, port_, settings_, messages_),
      log_(std::move(env.programFolder), env.clock), timerFactory_(env.timerFactory),
      core_(port_, env.timerFactory, trace_, hub_), names_(std::move(env.namesFile)),
      rolesFile_(std::move(env.rolesFile)) {
    line_.setFailureReason(std::move(env.openFailureReason));
    if (!env.stateFile.isEmpty()) {
        state_ = std::make_unique<ProgramState>(std::move(env.stateFile));
        core_.status.memory().store().setState(state_.get());
        log_.setState(state_.get());
    }
    log_.setLineDescription([this] {
        return QStringLiteral("COM%1 at %2 baud").arg(line_.iPortNumber).arg(line_.lBaudRate);
    });
    line_.setOnClosed([this] {
        core_.link.PortLost();
        // Another port is chosen: this one is no longer the window's to serve.
        if (service_) {
            service_->PortLost();
            service_->Close();
        }
    });
    // The core answers every hook; tests may put their own in its place.
    hooks_.ProcessReceivedData = [this] { core_.link.receiver.ProcessReceivedData(); };
    hooks_.SendNextCommand = [this] { core_.link.queue.SendNextCommand(); };
    hooks_.PortLost = [this] {
        core_.link.PortLost();
        if (service_) {
            service_->PortLost();
        }
    };
    hooks_.SetScanning = [this](bool on) { core_.status.SetScanning(on); };
    hooks_.cmdScan_Click = [this] {
        if (core_.status.blScanning() || port_.isOpen() || OpenForScan()) {
            core_.status.cmdScan_Click();
        }
    };
    reopen_ = timerFactory_.createTimer(std::chrono::milliseconds(500));
    reopen_->setOnTick([this] { TryReopen(); });
    hooks_.Setup_AllViews = [this] { hub_.Setup_AllViews(); };
    hooks_.SaveUnitSettings = [this] {
        if (unitSettings_ && MayOnSelected(Action::SaveUnitSettings)) {
            unitSettings_->Save();
        }
    };
    hooks_.RestoreUnitSettings = [this] {
        if (unitSettings_ && MayOnSelected(Action::RestoreUnitSettings)) {
            unitSettings_->Restore();
        }
    };
    hooks_.ClearUnitPane = [this] {
        if (unitPane_ != nullptr) {
            unitPane_->ClearForClosedPort();
        }
        hub_.Enable_QRD(false);
    };
    hooks_.ReleaseModel = [this] {
        if (service_) {
            service_->CancelRuns();
            service_->Close();
        }
        core_.status.timRequestStatus().stop();
        core_.link.queue.ClearQueue();
        core_.link.queue.timWaitACK().stop();
        core_.link.receiver.ResetReceiver();
        core_.model.objSelectedUnit.reset();
        core_.model.ReplaceUnits();
    };
    hooks_.Undo = [this] { TellStep(core_.history.Undo(), true); };
    hooks_.Redo = [this] { TellStep(core_.history.Redo(), false); };
    hooks_.NextStep = [this](bool undo) { return core_.history.NextStep(undo); };
    hooks_.GoTo = [this] {
        if (form_ && switchView_ != nullptr) {
            form_->TabStrip1()->setCurrentIndex(0);
            switchView_->AskGoTo();
        }
    };
    core_.history.setOnChanged([this] {
        if (form_) {
            form_->UndoStepsChanged();
        }
    });
    // The frame routes the port's events: its status line hears of a lost
    // port before the link does.
    port_.setHandlers({
        [this] {
            // The next frame leaves before the window is drawn, and before
            // the trace is written.
            {
                const ViewsHub::Held held(hub_);
                const HeldTrace::Held tracing(trace_);
                arriving_ = true;
                if (hooks_.ProcessReceivedData) {
                    hooks_.ProcessReceivedData();
                }
                arriving_ = false;
            }
            if (std::exchange(activityChanged_, false) && form_) {
                form_->ActivityChanged();
            }
            if (activityLater_ && drawLater_) {
                drawLater_->setEnabled(true);
            }
        },
        [this] {
            if (hooks_.SendNextCommand) {
                hooks_.SendNextCommand();
            }
        },
        [this] {
            line_.PortLost();
            if (hooks_.PortLost) {
                hooks_.PortLost();
            }
            WatchLostPort();
        },
    });
}

basMain::~basMain() {
    core_.activity.setOnChanged(nullptr);
    hub_.Detach();
    lock_.reset();
    naming_.reset();
    unitSettings_.reset();
    form_.reset();
    port_.setHandlers({});
}

void basMain::WatchLostPort() {
    if (line_.iPortNumber < 1) {
        return;
    }
    // What it was: the same node must go away before it counts as back, or
    // a device still hung up (the slave of a closed pseudo-terminal) would
    // be opened and lost again and again.
    lostDevice_ = QFileInfo(comm_.DevicePath(line_.iPortNumber)).canonicalFilePath();
    sawGone_ = lostDevice_.isEmpty();
    reopen_->start();
}

void basMain::TryReopen() {
    if (port_.isOpen()) {
        reopen_->stop(); // opened meanwhile, by Options or a Scan
        return;
    }
    // Its alias or device node back (a USB adapter plugged in again, the
    // emulator restarted): open it as at start-up, then scan the line.
    const QString device = QFileInfo(comm_.DevicePath(line_.iPortNumber)).canonicalFilePath();
    if (device.isEmpty()) {
        sawGone_ = true;
        return;
    }
    if (!sawGone_ && device == lostDevice_) {
        return;
    }
    if (!line_.OpenCommPort(line_.iPortNumber, line_.lBaudRate)) {
        return; // there, but not ready yet: tried again at the next tick
    }
    reopen_->stop();
    if (hooks_.SetScanning) {
        hooks_.SetScanning(true);
    }
}

bool basMain::OpenForScan() {
    if (line_.iPortNumber < 1) {
        return false;
    }
    if (!line_.OpenCommPort(line_.iPortNumber, line_.lBaudRate)) {
        return false; // the port status says why
    }
    reopen_->stop();
    return true;
}

void basMain::DrawAfterFrames(std::chrono::milliseconds pause) {
    drawLater_ = timerFactory_.createTimer(pause);
    drawLater_->setOnTick([this] {
        drawLater_->stop();
        hub_.RunWaiting();
        if (std::exchange(activityLater_, false) && form_) {
            form_->ActivityChanged();
        }
    });
    hub_.setLater([this] { drawLater_->setEnabled(true); });
    inputFirst_ = std::make_unique<InputFirst>(hub_);
    QApplication::instance()->installEventFilter(inputFirst_.get());
}

void basMain::TellStep(ChangeHistory::Outcome outcome, bool undo) {
    // The status line says what every press did; a refusal is also a box.
    const QString text = core_.history.Message(outcome);
    if (outcome == ChangeHistory::Outcome::Sent) {
        core_.activity.Act(
            (undo ? tr("Undone: %1") : tr("Done again: %1")).arg(core_.history.lastStep()));
    } else if (outcome == ChangeHistory::Outcome::Nothing) {
        core_.activity.Act(undo ? tr("Nothing to undo") : tr("Nothing to redo"));
    } else {
        core_.activity.Act(text);
    }
    if (!text.isEmpty()) {
        messages_.MsgBox(form_.get(), text);
    }
}

bool basMain::Main() {
    // The CRC table is built when the program is compiled (kCrc8Table).
    ImageKeys(); // builds the picture key tables
    comm_.GetExistPort();
    comm_.GetValidBaudRate();
    if (comm_.PortList().isEmpty()) {
        messages_.MsgBox(nullptr, tr("Can not find COM port"));
        return false;
    }

    const PortSettings::Values stored = settings_.Read();
    if (!stored.problem.isEmpty()) {
        // Not the first start: the operator should know why Options asks.
        messages_.MsgBox(nullptr, tr("The settings file %1 %2. The port and baud rate "
                                     "in it are not used: choose them in Options.")
                                      .arg(settings_.fileName(), stored.problem));
    }
    line_.blAutoBaudRate = stored.blAutoBaudRate;
    line_.iPortNumber = stored.iPortNumber;
    line_.lBaudRate = stored.lBaudRate;

    form_ = std::make_unique<frmMain>(line_, log_, hooks_);
    hub_.setFrame(*form_);
    form_->setActivitySource([this] { return core_.activity.Text(); });
    core_.activity.setOnChanged([this] {
        // Drawing after frames, the status line waits with the views: its
        // layout would hold the processor while the unit reads the frame.
        if (drawLater_) {
            activityLater_ = true;
            // Taking an answer, the timer is set once the next frame has
            // left: setting one costs the event loop a registration.
            if (!arriving_) {
                drawLater_->setEnabled(true);
            }
        } else if (arriving_) {
            activityChanged_ = true;
        } else if (form_) {
            form_->ActivityChanged();
        }
    });
    form_->ActivityChanged();
    switchView_ = new SwitchView(core_, hub_, timerFactory_);
    unitPane_ = new UnitPane(core_, hub_);
    if (state_ != nullptr) {
        unitPane_->setQuestions(messages_, *state_);
    }
    audioPage_ = new AudioPage(core_, timerFactory_, *form_);
    videoPage_ = new VideoPage(core_, *form_);
    names_.Load();
    naming_ = std::make_unique<PortNaming>(core_, names_, form_.get());
    // The bar that offers names made for another unit stands above the pane.
    auto* paneBox = new QWidget;
    auto* paneColumn = new QVBoxLayout(paneBox);
    paneColumn->setContentsMargins(0, 0, 0, 0);
    paneColumn->setSpacing(2);
    paneColumn->addWidget(naming_->bar());
    paneColumn->addWidget(unitPane_, 1);
    form_->HostPages(switchView_, audioPage_, videoPage_, paneBox);
    hub_.setSwitchView(*switchView_);
    service_ = std::make_unique<service::LineService>(
        service::LineService::Owner{core_, timerFactory_, *unitPane_,
                                    [this] { return port_.isOpen(); }, QStringLiteral("quadrel")});
    service_->setOnRunDone([this](const QString& what, const ctl::Session::Outcome& out) {
        // Where a change came from, as the operator's own are told.
        core_.activity.Act(out.status == ctl::ExitStatus::Done
                               ? tr("quadrel-ctl: %1").arg(what)
                               : tr("quadrel-ctl: %1: %2").arg(what, out.message));
    });
    line_.setOnOpened([this](int port, int baud) {
        QString reason;
        if (!service_->Listen(port, baud, reason)) {
            core_.activity.Act(tr("COM%1 is not served to quadrel-ctl: %2").arg(port).arg(reason));
        }
    });
    hub_.setUnitPane(service_->pane());
    hub_.setWatcher(service_.get());
    doors_ =
        std::make_unique<remote::NetworkDoors>(*service_, core_.model, TokensFile(), rolesFile_);
    ApplyNetwork();
    hub_.setAudioView(*audioPage_);
    hub_.setVideoView(*videoPage_);
    unitSettings_ = std::make_unique<UnitSettingsUi>(core_, timerFactory_, messages_, form_.get());
    unitSettings_->setNames([this] { return naming_->shown(); });
    unitSettings_->setApplyNames(
        [this](const UnitNames& names) { return naming_->UseNames(names); });
    unitPane_->setUnitNames([this](const QRDSTA& unit) { return naming_->UnitNameOf(unit); });
    for (NamedPortsView* view :
         std::initializer_list<NamedPortsView*>{switchView_, audioPage_, videoPage_, unitPane_}) {
        naming_->AddView(*view);
    }
    WireLock();
    // The Network tab, the technician's too, after the Roles tab.
    hooks_.ExtendOptions = [this, roles = hooks_.ExtendOptions](frmOptions& dialog) {
        if (roles) {
            roles(dialog);
        }
        auto* network = new NetworkPage(
            settings_, TokensFile(), messages_, [this] { ApplyNetwork(); }, &dialog);
        dialog.AddPage(network, tr("Network"), [network] { return network->Apply(); });
    };
    hub_.setOnSetup([this] {
        naming_->Refresh();
        lock_->Apply();
    });
    hub_.Enable_QRD(false);
    if (hooks_.Setup_AllViews) {
        hooks_.Setup_AllViews();
    }

    bool replaced = false;
    if (!comm_.IsExistPort(QString::number(line_.iPortNumber))) {
        line_.iPortNumber = static_cast<int16_t>(comm_.PortList().first().toInt());
        replaced = true;
    }
    if (!comm_.IsValidBaudRate(QString::number(line_.lBaudRate))) {
        line_.lBaudRate = comm_.BaudRateList().first().toInt();
        replaced = true;
    }

    // Locked, the port waits for the technician rather than asking the staff.
    if (replaced && !lock_->locked()) {
        if (form_->ShowOptions()) {
            form_->Unload();
            return false;
        }
    } else {
        // A port that will not open is not fatal: the status line says so
        // and Options can choose another.
        line_.OpenCommPort(line_.iPortNumber, line_.lBaudRate);
    }

    hub_.ResetSelectionAnchors();
    form_->PlaceWindow(state_.get());
    form_->show();
    if (!hooks_.SetScanning) {
        return true;
    }
    if (drawLater_) {
        // The window's first painting takes milliseconds: done while the
        // first probe's answer waited, it would hold that up.
        scanAfterPaint_ = std::make_unique<AfterFirstPaint>(*form_, [this] {
            if (hooks_.SetScanning) {
                hooks_.SetScanning(true);
            }
        });
    } else {
        hooks_.SetScanning(true);
    }
    return true;
}

QString basMain::TokensFile() const {
    // Beside the roles file, whose rules the staff's tokens follow.
    return rolesFile_.isEmpty()
               ? QString()
               : QFileInfo(rolesFile_).absolutePath() + QStringLiteral("/tokens.json");
}

void basMain::ApplyNetwork() {
    if (!doors_) {
        return;
    }
    const QStringList problems = doors_->Apply(settings_.Read().network);
    if (!problems.isEmpty()) {
        //: %1: why, as "the API will not listen on 127.0.0.1 port 8480: address in use"
        core_.activity.Act(tr("Network clients are not served: %1").arg(problems.join(u"; ")));
    }
}

} // namespace quadrel
