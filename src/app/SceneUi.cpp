#include "app/SceneUi.h"

#include "app/MessageBoxes.h"
#include "app/SceneCaptureDialog.h"
#include "app/SceneDialog.h"
#include "app/SceneKeys.h"
#include "app/UnitPane.h"
#include "app/UnitRowTexts.h"
#include "app/frmMain.h"
#include "model/NamesStore.h"
#include "model/QuadrelCore.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace quadrel {

namespace {

// Longest report in a message box; the rest is counted.
constexpr qsizetype kReportLines = 30;

QString HexId(int id) {
    return QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

SceneUi::SceneUi(Window window, const QString& fileName)
    : w_(std::move(window)), store_(fileName),
      job_(w_.core, w_.timers, [this](const UnitRef& unit) {
          // As a click on its row: the list shows the unit being set.
          if (QTreeWidgetItem* row = w_.pane.FindUnitRow(UnitKey(unit->bID()))) {
              const QSignalBlocker quiet(w_.pane.lstQRD());
              w_.pane.lstQRD()->setCurrentItem(row);
          }
          w_.core.SelectUnit(unit);
      }) {
    store_.Load();
    if (!store_.problem().isEmpty()) {
        w_.core.activity.Act(store_.problem());
    }
    menu_ = w_.form.menuBar()->addMenu(tr("Sce&nes"));
    menu_->setObjectName(QStringLiteral("mnuScenes"));
    menu_->setToolTipsVisible(true);
    firstFixed_ = menu_->addSeparator();
    actNew_ = menu_->addAction(tr("&New scene from…"));
    actNew_->setObjectName(QStringLiteral("actNewScene"));
    connect(actNew_, &QAction::triggered, this, [this] { NewScene(); });
    editMenu_ = menu_->addMenu(tr("&Edit scene"));
    editMenu_->setObjectName(QStringLiteral("mnuEditScene"));
    // The file may have changed under another program's hand.
    connect(menu_, &QMenu::aboutToShow, this, [this] {
        store_.Load();
        Rebuild();
    });
    connect(&w_.form, &frmMain::lineStateChanged, this, [this] { UpdateEnabled(); });
    // A scene kept by quadrel-ctl or another window answers to its keys here
    // too. The file is replaced, not written over: its folder is watched.
    if (!fileName.isEmpty()) {
        auto* watcher = new QFileSystemWatcher(this);
        watcher->addPath(QFileInfo(fileName).absolutePath());
        connect(watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
            if (!job_.Running()) {
                store_.Load();
                Rebuild();
            }
        });
    }
    job_.setOnProgress([this](const SceneProgress& p) {
        if (!progress_) {
            return;
        }
        progress_->setMaximum(std::max(1, p.units) * 100);
        progress_->setValue(p.unit * 100 + (p.total > 0 ? p.done * 100 / p.total : 0));
        progress_->setLabelText(tr("Unit %1 of %2 (ID %3): %4 of %5 settings")
                                    .arg(p.unit + 1)
                                    .arg(p.units)
                                    .arg(HexId(p.id))
                                    .arg(p.done)
                                    .arg(p.total));
    });
    Rebuild();
}

SceneUi::~SceneUi() {
    delete progress_.data();
}

QProgressDialog* SceneUi::progress() const {
    return progress_.data();
}

QAction* SceneUi::SceneAction(const QString& name) const {
    for (QAction* action : sceneActions_) {
        if (action->data().toString() == name) {
            return action;
        }
    }
    return nullptr;
}

void SceneUi::Rebuild() {
    // Later: the entry that was chosen may be what asked for this.
    for (QAction* action : sceneActions_) {
        menu_->removeAction(action);
        action->deleteLater();
    }
    sceneActions_.clear();
    for (QAction* action : editMenu_->actions()) {
        editMenu_->removeAction(action);
        action->deleteLater();
    }
    const auto escaped = [](QString name) { return name.replace(QLatin1Char('&'), "&&"); };
    for (const Scene& scene : store_.scenes()) {
        auto* action = new QAction(escaped(scene.name), menu_);
        action->setObjectName(QStringLiteral("actScene"));
        action->setData(scene.name);
        action->setShortcut(QKeySequence::fromString(scene.shortcut, QKeySequence::PortableText));
        connect(action, &QAction::triggered, this, [this, name = scene.name] { Recall(name); });
        menu_->insertAction(firstFixed_, action);
        sceneActions_.push_back(action);
        QAction* edit = editMenu_->addAction(escaped(scene.name));
        connect(edit, &QAction::triggered, this, [this, name = scene.name] { Edit(name); });
    }
    if (sceneActions_.empty()) {
        auto* none = new QAction(tr("No scenes yet"), menu_);
        none->setEnabled(false);
        menu_->insertAction(firstFixed_, none);
        sceneActions_.push_back(none);
    }
    editMenu_->setEnabled(!store_.scenes().empty());
    UpdateEnabled();
}

QString SceneUi::NotReady() const {
    if (!w_.core.link.port().isOpen()) {
        return tr("No port is open.");
    }
    if (job_.Running()) {
        return tr("A scene is being recalled.");
    }
    if (w_.core.status.IsBusy()) {
        return tr("The line is busy: wait until the scan or read has ended.");
    }
    return {};
}

void SceneUi::setRefusal(Refusal refusal) {
    refusal_ = std::move(refusal);
    UpdateEnabled();
}

QString SceneUi::Refused(const QString& scene) const {
    return refusal_ ? refusal_(scene) : QString();
}

void SceneUi::UpdateEnabled() {
    const QString notReady = NotReady();
    for (QAction* action : sceneActions_) {
        if (action->data().isNull()) {
            continue; // the "no scenes" line
        }
        const QString why = notReady.isEmpty() ? Refused(action->data().toString()) : notReady;
        action->setEnabled(why.isEmpty());
        action->setToolTip(why.isEmpty() ? tr("Recall: only what differs is sent") : why);
    }
    const QString editing = Refused({});
    const QString why = notReady.isEmpty() ? editing : notReady;
    actNew_->setEnabled(why.isEmpty());
    actNew_->setToolTip(why.isEmpty() ? tr("Take a scene from the units' live settings") : why);
    if (editMenu_ != nullptr) {
        editMenu_->setEnabled(editing.isEmpty());
        editMenu_->menuAction()->setToolTip(editing);
    }
}

QString SceneUi::FreeName() const {
    for (int n = 1;; ++n) {
        const QString name = tr("Scene %1").arg(n);
        if (store_.Find(name) == nullptr) {
            return name;
        }
    }
}

void SceneUi::Recall(const QString& name) {
    if (const QString why = Refused(name); !why.isEmpty()) {
        w_.core.activity.Act(tr("Scene “%1” was not recalled: %2").arg(name, why));
        return;
    }
    if (const QString why = NotReady(); !why.isEmpty()) {
        w_.core.activity.Act(tr("Scene “%1” was not recalled: %2").arg(name, why));
        UpdateEnabled();
        return;
    }
    // As the file holds it now: a damaged file has no scene to send.
    store_.Load();
    const Scene* scene = store_.Find(name);
    if (scene == nullptr) {
        const QString problem = store_.problem();
        w_.messages.MsgBox(&w_.form, problem.isEmpty()
                                         ? tr("There is no scene “%1”; nothing was sent.").arg(name)
                                         : tr("Nothing was sent: %1").arg(problem));
        Rebuild();
        return;
    }
    ShowProgress(tr("Recalling scene “%1”…").arg(name), true);
    job_.Recall(*scene, [this](const SceneReport& report) { Ended(report); });
    UpdateEnabled();
}

bool SceneUi::Step(bool undo) {
    const RecallStep* recall = w_.core.history.NextRecall(undo);
    if (recall == nullptr) {
        return false;
    }
    if (const QString why = Refused(recall->scene); !why.isEmpty()) {
        w_.core.activity.Act(why);
        return true;
    }
    if (const QString why = NotReady(); !why.isEmpty()) {
        w_.core.activity.Act(why);
        return true;
    }
    const QString step = w_.core.history.NextStep(undo);
    ShowProgress(undo ? tr("Taking back %1…").arg(step) : tr("Doing again %1…").arg(step), true);
    const auto done = [this](const SceneReport& report) { Ended(report); };
    if (undo) {
        job_.Undo(done);
    } else {
        job_.Redo(done);
    }
    UpdateEnabled();
    return true;
}

void SceneUi::Ended(const SceneReport& report) {
    EndProgress();
    UpdateEnabled();
    w_.core.activity.Act(report.message);
    if (report.ok()) {
        return; // the status line says it
    }
    QStringList lines = report.Lines();
    if (lines.size() > kReportLines) {
        const qsizetype more = lines.size() - kReportLines;
        lines.resize(kReportLines);
        lines << tr("… and %1 more lines").arg(more);
    }
    w_.messages.MsgBox(&w_.form, lines.join(QLatin1Char('\n')));
}

void SceneUi::ShowProgress(const QString& label, bool cancel) {
    EndProgress();
    progress_ = new QProgressDialog(label, cancel ? tr("Cancel") : QString(), 0, 0, &w_.form);
    progress_->setObjectName(QStringLiteral("dlgSceneProgress"));
    progress_->setWindowTitle(QStringLiteral("Quadrel"));
    progress_->setAccessibleName(label);
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(0);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    if (cancel) {
        connect(progress_.data(), &QProgressDialog::canceled, progress_.data(), [this] {
            progress_->setLabelText(tr("Cancelling: reading the unit back…"));
            job_.Cancel();
        });
    }
    progress_->show();
}

void SceneUi::EndProgress() {
    if (progress_) {
        progress_->hide();
        progress_->deleteLater();
        progress_ = nullptr;
    }
}

void SceneUi::NewScene() {
    if (const QString why = Refused({}); !why.isEmpty()) {
        w_.core.activity.Act(why);
        return;
    }
    if (const QString why = NotReady(); !why.isEmpty()) {
        w_.core.activity.Act(why);
        return;
    }
    std::vector<SceneCaptureDialog::Unit> units;
    for (const auto& entry : w_.core.model.objUnits()) {
        if (IsUnitConnected(entry.unit)) {
            const UnitNames* names = w_.names.Exact(UnitReport::Of(*entry.unit, w_.line()));
            units.push_back({UnitIdentity::Of(*entry.unit), names ? *names : UnitNames{}});
        }
    }
    if (units.empty()) {
        w_.messages.MsgBox(&w_.form, tr("No unit answers on the line: scan it first."));
        return;
    }
    SceneCaptureDialog dialog(units, FreeName(), &w_.form);
    if (captureHook_) {
        captureHook_(dialog);
    } else {
        dialog.exec();
    }
    if (dialog.result() != QDialog::Accepted) {
        return;
    }
    const SceneCapture request = dialog.request();
    if (request.units.empty()) {
        w_.messages.MsgBox(&w_.form, tr("Tick at least one output or input."));
        return;
    }
    ShowProgress(tr("Reading the units…"), false);
    job_.Capture(request, [this, trim = dialog.Trimmer()](const SceneJob::Captured& captured) {
        EndProgress();
        UpdateEnabled();
        if (!captured.ok) {
            w_.messages.MsgBox(&w_.form, tr("No scene was made: %1").arg(captured.message));
            return;
        }
        if (!captured.message.isEmpty()) {
            w_.core.activity.Act(captured.message);
        }
        Scene scene = captured.scene;
        trim(scene);
        OpenEditor(scene, false);
    });
    UpdateEnabled();
}

void SceneUi::Edit(const QString& name) {
    if (const QString why = Refused({}); !why.isEmpty()) {
        w_.core.activity.Act(why);
        return;
    }
    store_.Load();
    if (const Scene* scene = store_.Find(name)) {
        OpenEditor(*scene, true);
    } else {
        Rebuild();
    }
}

std::optional<UnitIdentity> SceneUi::Live(const SceneUnit& unit) const {
    const UnitRef live = w_.core.model.FindUnit(unit.id);
    if (!IsUnitConnected(live) || live->sName() != unit.name ||
        live->iInputCount() != unit.inputs || live->iOutputCount() != unit.outputs) {
        return std::nullopt;
    }
    return UnitIdentity::Of(*live);
}

UnitNames SceneUi::NamesOf(const SceneUnit& unit) const {
    const UnitNames* names =
        w_.names.Exact(UnitReport{unit.id, unit.name, unit.inputs, unit.outputs, w_.line()});
    return names ? *names : UnitNames{};
}

QString SceneUi::ShortcutHolder(const QKeySequence& keys, const QString& scene) const {
    return SceneKeys::Holder(w_.form, store_.scenes(), keys, scene);
}

void SceneUi::OpenEditor(Scene scene, bool kept) {
    SceneDialog::Context context;
    context.names = [this](const SceneUnit& unit) { return NamesOf(unit); };
    context.live = [this](const SceneUnit& unit) { return Live(unit); };
    context.shortcutTaken = [this](const QKeySequence& keys, const QString& name) {
        return ShortcutHolder(keys, name);
    };
    context.save = [this, kept](const Scene& out, const QString& replacing) {
        store_.Load();
        if ((!kept || out.name != replacing) && store_.Find(out.name) != nullptr) {
            return tr("A scene called “%1” is kept already: choose another name.").arg(out.name);
        }
        return store_.Save(out, replacing) ? QString() : store_.problem();
    };
    context.remove = [this](const QString& name) {
        return store_.Remove(name) ? QString() : store_.problem();
    };
    context.confirm = [this](const QString& question) {
        return w_.messages.Ask(&w_.form, {question, QString(), tr("Delete")}).yes;
    };
    SceneDialog dialog(std::move(scene), kept, std::move(context), &w_.form);
    if (dialogHook_) {
        dialogHook_(dialog);
    } else {
        dialog.exec();
    }
    if (dialog.result() == QDialog::Accepted) {
        w_.core.activity.Act(tr("Scene “%1” kept").arg(dialog.scene().name));
    } else if (dialog.result() == SceneDialog::kDeleted) {
        w_.core.activity.Act(tr("Scene deleted"));
    }
    Rebuild();
}

} // namespace quadrel
