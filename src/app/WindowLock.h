#pragma once

#include "model/RolesFile.h"
#include "service/UnlockGuard.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMainWindow;
class QDialog;
class QWidget;

namespace quadrel {

class QuadrelCore;
class TimerFactory;
class frmMain;

// The window's role: the technician, or locked to the staff. It keeps the
// roles file, puts its rules at the change path (so whatever asks, a staff
// change outside the rules sends nothing and the status line says why),
// disables the controls the staff may not use with the reason as their tool
// tip, and shows a banner while locked.
class WindowLock : public QObject {
    Q_OBJECT
public:
    WindowLock(QString fileName, QuadrelCore& core, TimerFactory& timers, frmMain& window);
    ~WindowLock() override;

    // Reads the roles file: locked at start when it says so, and locked safe
    // when it cannot be used.
    void Load();

    Role role() const { return role_; }
    bool locked() const { return role_ == Role::Staff; }
    // Whether the one at the window may do it, and why not.
    Verdict May(const RoleRequest& request) const;
    Verdict MayRecallScene(const QString& name) const {
        return May({Action::RecallScene, -1, {}, name});
    }
    // The same, told on the status line when refused.
    bool Allow(const RoleRequest& request);

    // Locks the window; refused, with the reason, when no password is set.
    bool Lock();
    // One try of the technician's password.
    service::UnlockGuard::Result Unlock(const QString& password);
    service::UnlockGuard& guard() { return guard_; }

    const RolesConfig& config() const { return config_; }
    bool usable() const { return state_ != RolesFile::State::Damaged; }
    const QString& problem() const { return problem_; }
    const QString& fileName() const { return fileName_; }
    // From Options: written at once, and in force from now.
    bool Store(const RolesConfig& config, QString& error);

    // Guards the controls again: after the pages were laid out anew.
    void Apply();
    QAction* actLock() const { return actLock_; }
    QAction* actUnlock() const { return actUnlock_; }
    QLabel* banner() const { return banner_; }
    // What the banner says while locked.
    QString Summary() const;

    // Told after the role or the rules changed.
    void setOnChanged(std::function<void()> onChanged) { onChanged_ = std::move(onChanged); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Guarded {
        QPointer<QWidget> widget;
        Action action;
        QString tip;        // its own tool tip, given back when unlocked
        bool wanted = true; // enabled, as its owner last set it
        bool held = false;  // disabled here
    };
    void SetRole(Role role);
    void Guard(QWidget* widget, Action action);
    void Hold(Guarded& g);
    void AskUnlock();

    QString fileName_;
    QuadrelCore& core_;
    frmMain& window_;
    RolesConfig config_;
    RolesFile::State state_ = RolesFile::State::Missing;
    QString problem_;
    Role role_ = Role::Technician;
    service::UnlockGuard guard_;
    std::vector<Guarded> guarded_;
    bool holding_ = false;
    QAction* actLock_ = nullptr;
    QAction* actUnlock_ = nullptr;
    QLabel* banner_ = nullptr;
    std::function<void()> onChanged_;
};

} // namespace quadrel
