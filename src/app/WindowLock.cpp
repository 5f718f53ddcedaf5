#include "app/WindowLock.h"

#include "app/UnlockDialog.h"
#include "app/frmMain.h"
#include "model/QuadrelCore.h"
#include "service/PasswordDigest.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>

namespace quadrel {

namespace {

QString Hex(int unit) {
    return QStringLiteral("%1").arg(unit, 2, 16, QLatin1Char('0')).toUpper();
}

// The controls of the technician's actions, by their names.
struct Named {
    const char* pattern;
    Action action;
};

constexpr Named kNamed[] = {
    {"^cmdSave$", Action::PresetSave},
    {"^cmdLoad$", Action::PresetLoad},
    {"^cmd(UseNames|PutNamesAside)$", Action::Rename},
    {"^(sld|ud|txt)SelectedBassLevel$", Action::Bass},
    {"^(sld|ud|txt)SelectedTrebleLevel$", Action::Treble},
    {"^(sld|ud|txt)SelectedSubwooferLevel$", Action::Subwoofer},
    {"^(sld|ud|txt)SelectedDelayTime$", Action::Delay},
    {"^opt(Selected)?(Fix|Output1)Edid(_\\d+)?$", Action::Edid},
};

} // namespace

WindowLock::WindowLock(QString fileName, QuadrelCore& core, TimerFactory& timers, frmMain& window)
    : fileName_(std::move(fileName)), core_(core), window_(window),
      guard_(timers, [this](const QString& password) {
          return usable() && service::PasswordDigest::Matches(config_.password, password);
      }) {
    core_.path.setGate(
        [this](const Change& change) { return config_.staff.Decide(role_, change).reason; },
        [this](const QString& reason) { core_.activity.Act(reason); });

    QMenu* menu = window_.menuBar()->addMenu(tr("&Roles"));
    menu->setObjectName(QStringLiteral("mnuRoles"));
    actLock_ = menu->addAction(tr("&Lock for the staff"));
    actLock_->setObjectName(QStringLiteral("actLock"));
    actLock_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    actLock_->setShortcutContext(Qt::ApplicationShortcut);
    connect(actLock_, &QAction::triggered, this, [this] { Lock(); });
    actUnlock_ = menu->addAction(tr("&Unlock…"));
    actUnlock_->setObjectName(QStringLiteral("actUnlock"));
    actUnlock_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    connect(actUnlock_, &QAction::triggered, this, [this] { AskUnlock(); });

    banner_ = new QLabel(&window_);
    banner_->setObjectName(QStringLiteral("lblLocked"));
    banner_->setWordWrap(true);
    banner_->setTextFormat(Qt::PlainText);
    banner_->setMargin(6);
    banner_->setStyleSheet(QStringLiteral(
        "QLabel { background: #fff3c4; color: #3d2e00; border: 1px solid #c9a227; }"));
    banner_->hide();
    window_.AddBanner(banner_);

    Guard(window_.cmdOptions(), Action::Options);
    Guard(window_.cmdSaveSettings(), Action::SaveUnitSettings);
    Guard(window_.cmdRestoreSettings(), Action::RestoreUnitSettings);
}

WindowLock::~WindowLock() {
    core_.path.setGate(nullptr, nullptr);
}

void WindowLock::Load() {
    const RolesFile::Loaded loaded = RolesFile::Load(fileName_);
    state_ = loaded.state;
    config_ = loaded.config;
    problem_ = loaded.problem;
    if (!problem_.isEmpty()) {
        core_.activity.Act(problem_);
    }
    SetRole(!usable() || (config_.startLocked && config_.password.isSet()) ? Role::Staff
                                                                           : Role::Technician);
}

Verdict WindowLock::May(const RoleRequest& request) const {
    if (!usable() && request.action == Action::Options) {
        return {false, problem_};
    }
    return config_.staff.Decide(role_, request);
}

bool WindowLock::Allow(const RoleRequest& request) {
    const Verdict v = May(request);
    if (!v) {
        core_.activity.Act(v.reason);
    }
    return v.allowed;
}

bool WindowLock::Lock() {
    if (locked()) {
        return true;
    }
    if (!config_.password.isSet()) {
        core_.activity.Act(tr("Not locked: set the technician's password in Options first, so "
                              "the window can be unlocked again."));
        return false;
    }
    SetRole(Role::Staff);
    core_.activity.Act(tr("Locked for the staff"));
    return true;
}

service::UnlockGuard::Result WindowLock::Unlock(const QString& password) {
    const auto result = guard_.Try(password);
    if (result == service::UnlockGuard::Result::Accepted) {
        SetRole(Role::Technician);
        core_.activity.Act(tr("Unlocked: the technician may change everything"));
    } else if (result == service::UnlockGuard::Result::Refused) {
        // The attempt is told, never what was typed.
        core_.activity.Act(tr("Unlock refused: wrong password"));
    }
    return result;
}

bool WindowLock::Store(const RolesConfig& config, QString& error) {
    if (!RolesFile::Save(fileName_, config, error)) {
        return false;
    }
    config_ = config;
    state_ = RolesFile::State::Read;
    problem_.clear();
    SetRole(role_);
    return true;
}

void WindowLock::AskUnlock() {
    if (!locked()) {
        core_.activity.Act(tr("The window is not locked"));
        return;
    }
    UnlockDialog dialog(*this, &window_);
    dialog.exec();
}

QString WindowLock::Summary() const {
    if (!usable()) {
        return problem_;
    }
    QStringList where;
    for (const auto& [unit, outputs] : config_.staff.outputs) {
        if (!outputs.empty()) {
            //: a unit's outputs the staff may use: "unit 0A outputs 1-4, 7"
            where << tr("unit %1 outputs %2").arg(Hex(unit), StaffRules::PortsText(outputs));
        }
    }
    const QString outputs = where.isEmpty() ? tr("no outputs") : where.join(tr("; "));
    QStringList scenes(config_.staff.scenes.begin(), config_.staff.scenes.end());
    //: %1: where, as "unit 0A outputs 1-4"; %2: the scenes' names, or "none"
    return tr("Locked for the staff: switching, mute and volume on %1; scenes: %2. Everything "
              "else is the technician's. Unlock: Roles > Unlock (Ctrl+Shift+L).")
        .arg(outputs, scenes.isEmpty() ? tr("none") : scenes.join(tr(", ")));
}

void WindowLock::SetRole(Role role) {
    role_ = role;
    actLock_->setEnabled(!locked());
    actUnlock_->setEnabled(locked() && usable());
    banner_->setText(Summary());
    banner_->setAccessibleName(banner_->text());
    banner_->setVisible(locked());
    Apply();
    if (onChanged_) {
        onChanged_();
    }
}

void WindowLock::Guard(QWidget* widget, Action action) {
    if (widget == nullptr) {
        return;
    }
    for (const Guarded& g : guarded_) {
        if (g.widget == widget) {
            return;
        }
    }
    widget->installEventFilter(this);
    guarded_.push_back({widget, action, widget->toolTip(), widget->isEnabled()});
    Hold(guarded_.back());
}

void WindowLock::Apply() {
    for (const Named& n : kNamed) {
        const QRegularExpression name(QString::fromLatin1(n.pattern));
        for (QWidget* w : window_.findChildren<QWidget*>(name)) {
            Guard(w, n.action);
        }
    }
    std::erase_if(guarded_, [](const Guarded& g) { return g.widget.isNull(); });
    for (Guarded& g : guarded_) {
        Hold(g);
    }
}

void WindowLock::Hold(Guarded& g) {
    const UnitRef unit = core_.model.objSelectedUnit;
    const Verdict v = May({g.action, unit ? unit->bID() : -1, {}, {}});
    holding_ = true;
    if (!v && !g.held) {
        g.wanted = g.widget->isEnabled();
    }
    if (!v) {
        g.widget->setToolTip(v.reason);
        g.widget->setEnabled(false);
    } else if (g.held) {
        g.widget->setToolTip(g.tip);
        g.widget->setEnabled(g.wanted);
    }
    g.held = !v;
    holding_ = false;
}

bool WindowLock::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !holding_) {
        for (Guarded& g : guarded_) {
            if (g.widget == watched) {
                // What its owner wants is kept for the technician; the staff
                // still find it disabled.
                g.wanted = g.widget->isEnabled();
                if (g.held && g.wanted) {
                    holding_ = true;
                    g.widget->setEnabled(false);
                    holding_ = false;
                }
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quadrel
