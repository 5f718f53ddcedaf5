#pragma once

#include "model/SceneJob.h"
#include "model/SceneStore.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QProgressDialog;

namespace quadrel {

class MessageBoxes;
class NamesStore;
class QuadrelCore;
class SceneCaptureDialog;
class SceneDialog;
class UnitPane;
class frmMain;

// The window's scenes: the Scenes menu with an entry and a shortcut per
// scene, "New scene from…" and the scene dialog over the scenes file, and
// the recall with its progress, Cancel and report. The recall itself, its
// undo and the file are the core's.
class SceneUi : public QObject {
    Q_OBJECT
public:
    struct Window {
        QuadrelCore& core;
        TimerFactory& timers;
        MessageBoxes& messages;
        frmMain& form;
        UnitPane& pane;
        NamesStore& names;
        std::function<int()> line; // the port number, as names are kept
    };
    // `fileName` empty keeps scenes only while the program runs.
    SceneUi(Window window, const QString& fileName);
    ~SceneUi() override;

    QMenu* menu() const { return menu_; }
    QAction* actNew() const { return actNew_; }
    // The entry that recalls `name`; null when there is none.
    QAction* SceneAction(const QString& name) const;
    SceneStore& store() { return store_; }
    SceneJob& job() { return job_; }
    // The progress of the recall under way; null when none runs.
    QProgressDialog* progress() const;

    void Recall(const QString& name);
    void NewScene();
    void Edit(const QString& name);
    // Undo or Redo when the history's next step is a recall: taken back or
    // made again as one job. False when the step is not a recall.
    bool Step(bool undo);

    // Why nothing can be sent now; empty when the line is ready.
    QString NotReady() const;
    // Why the one at the window may not recall `scene`, or, with no name,
    // make and edit scenes; empty when allowed. Asked before each recall,
    // undo and redo of one, and whenever the menu is drawn.
    using Refusal = std::function<QString(const QString& scene)>;
    void setRefusal(Refusal refusal);
    // The role at the window changed: the entries are enabled anew.
    void RoleChanged() { UpdateEnabled(); }
    // What else answers to `keys`, empty when nothing does.
    QString ShortcutHolder(const QKeySequence& keys, const QString& scene) const;

    // Tests answer the dialogs in place of the operator: the hook runs
    // instead of the dialog's own event loop, and ends it.
    void setCaptureHook(std::function<void(SceneCaptureDialog&)> hook) {
        captureHook_ = std::move(hook);
    }
    void setDialogHook(std::function<void(SceneDialog&)> hook) { dialogHook_ = std::move(hook); }

private:
    void Rebuild();
    void UpdateEnabled();
    QString Refused(const QString& scene) const;
    void OpenEditor(Scene scene, bool kept);
    std::optional<UnitIdentity> Live(const SceneUnit& unit) const;
    UnitNames NamesOf(const SceneUnit& unit) const;
    void ShowProgress(const QString& label, bool cancel);
    void EndProgress();
    void Ended(const SceneReport& report);
    QString FreeName() const;

    Window w_;
    SceneStore store_;
    SceneJob job_;
    QMenu* menu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QAction* actNew_ = nullptr;
    QAction* firstFixed_ = nullptr; // the entries after the scenes
    std::vector<QAction*> sceneActions_;
    QPointer<QProgressDialog> progress_;
    std::function<void(SceneCaptureDialog&)> captureHook_;
    std::function<void(SceneDialog&)> dialogHook_;
    Refusal refusal_;
};

} // namespace quadrel
