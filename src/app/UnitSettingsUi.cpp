#include "app/UnitSettingsUi.h"

#include "app/MessageBoxes.h"
#include "app/RestoreDialog.h"
#include "model/QuadrelCore.h"
#include "model/UnitSettingsFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>

namespace quadrel {

namespace {

// Longest list of values in a message box; the rest are counted.
constexpr size_t kListed = 20;

QString HexId(int id) {
    return QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
}

QString Listed(const std::vector<Difference>& values) {
    QStringList lines;
    for (size_t i = 0; i < values.size() && i < kListed; ++i) {
        lines << Describe(values[i]);
    }
    if (values.size() > kListed) {
        lines << QCoreApplication::translate("UnitSettingsUi", "… and %1 more")
                     .arg(values.size() - kListed);
    }
    return lines.join(QLatin1Char('\n'));
}

QString Sentence(const QString& text) {
    return text.left(1).toUpper() + text.mid(1) + QLatin1Char('.');
}

} // namespace

UnitSettingsUi::UnitSettingsUi(QuadrelCore& core, TimerFactory& timers, MessageBoxes& messages,
                               QWidget* window)
    : core_(core), messages_(messages), window_(window), job_(core, timers) {
    ask_.fileName = [this](bool save, const QString& suggested) {
        const QString filter = tr("Quadrel unit settings (*.json);;All files (*)");
        return save ? QFileDialog::getSaveFileName(window_, tr("Save unit settings"), suggested,
                                                   filter)
                    : QFileDialog::getOpenFileName(window_, tr("Restore unit settings"), suggested,
                                                   filter);
    };
    ask_.yesNo = [this](const QString& question) {
        return QMessageBox::question(window_, QStringLiteral("Quadrel"), question,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    ask_.confirm = [this](const UnitSettingsJob::Outcome& prepared, const QString& path,
                          const std::vector<NameDifference>& names, bool& applyNames) {
        RestoreDialog dialog(prepared, path, names, window_);
        const bool accepted = dialog.exec() == QDialog::Accepted;
        applyNames = accepted && dialog.applyNames();
        return accepted;
    };
    job_.setOnProgress([this](int done, int total) {
        if (progress_) {
            progress_->setMaximum(total);
            progress_->setValue(done);
        }
    });
}

UnitSettingsUi::~UnitSettingsUi() {
    delete progress_.data();
}

bool UnitSettingsUi::UnitReady() {
    if (IsUnitConnected(core_.model.objSelectedUnit) && !core_.status.IsBusy() && !job_.Running()) {
        return true;
    }
    messages_.MsgBox(window_, tr("Select a unit that answers, and wait until it has "
                                 "been read."));
    return false;
}

void UnitSettingsUi::ShowProgress(const QString& label, int total, bool cancel) {
    EndProgress();
    progress_ = new QProgressDialog(label, cancel ? tr("Cancel") : QString(), 0, total, window_);
    progress_->setObjectName(QStringLiteral("dlgSettingsProgress"));
    progress_->setWindowTitle(QStringLiteral("Quadrel"));
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(0);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    if (cancel) {
        QObject::connect(progress_.data(), &QProgressDialog::canceled, progress_.data(), [this] {
            progress_->setLabelText(tr("Cancelling: reading the unit back…"));
            job_.Cancel();
        });
    }
    progress_->show();
}

void UnitSettingsUi::EndProgress() {
    if (progress_) {
        progress_->hide();
        progress_->deleteLater();
        progress_ = nullptr;
    }
}

void UnitSettingsUi::Save() {
    if (!UnitReady()) {
        return;
    }
    const UnitRef unit = core_.model.objSelectedUnit;
    const QString path = ask_.fileName(
        true, QDir::home().filePath(QStringLiteral("unit-%1.quadrel.json").arg(unit->bID())));
    if (!path.isEmpty()) {
        SaveTo(path);
    }
}

void UnitSettingsUi::SaveTo(const QString& path) {
    if (!UnitReady()) {
        return;
    }
    const UnitRef unit = core_.model.objSelectedUnit;
    const bool presets =
        unit->iMemoryCount() > 0 &&
        ask_.yesNo(tr("Save the unit's %1 memory presets too? Each is read from the "
                      "unit, which takes a few seconds.")
                       .arg(unit->iMemoryCount()));
    ShowProgress(tr("Reading unit %1…").arg(HexId(unit->bID())), 0, false);
    job_.Save(path, presets, names_ ? names_() : UnitNames{},
              QDateTime::currentDateTimeUtc().toString(Qt::ISODate),
              [this](const UnitSettingsJob::Outcome& out) {
                  EndProgress();
                  messages_.MsgBox(window_, out.ok ? Sentence(out.message)
                                                   : tr("Nothing was saved: %1.").arg(out.message));
              });
}

void UnitSettingsUi::Restore() {
    if (!UnitReady()) {
        return;
    }
    const QString path = ask_.fileName(false, QDir::homePath());
    if (!path.isEmpty()) {
        RestoreFrom(path);
    }
}

void UnitSettingsUi::RestoreFrom(const QString& path) {
    if (!UnitReady()) {
        return;
    }
    // A bad file is told before any question, and nothing is sent.
    QString error;
    const std::optional<UnitSettings> file = UnitSettingsFile::Read(path, error);
    if (!file) {
        messages_.MsgBox(window_, tr("Nothing was sent. %1: %2.").arg(path, error));
        return;
    }
    const bool presets =
        file->presets && !file->presets->empty() &&
        ask_.yesNo(tr("The file holds %1 memory presets. Restore them too?\n\nEach preset is "
                      "passed through the live outputs: its routes and levels are set, it is "
                      "saved to its location, and the live state is put back. This is heard "
                      "and seen on a live system.")
                       .arg(file->presets->size()));
    ShowProgress(tr("Reading unit %1…").arg(HexId(core_.model.objSelectedUnit->bID())), 0, false);
    job_.Prepare(path, presets, [this, path](const UnitSettingsJob::Outcome& prepared) {
        EndProgress();
        if (!prepared.ok) {
            messages_.MsgBox(window_, tr("Nothing was sent: %1.").arg(prepared.message));
            return;
        }
        const std::vector<NameDifference> names =
            NameDifferences(names_ ? names_() : UnitNames{}, prepared.file.names);
        if (prepared.differences.empty() && names.empty() &&
            IdentityDifferences(prepared.file.unit, prepared.unit.unit).empty()) {
            messages_.MsgBox(window_, tr("Unit %1 already holds every value of the "
                                         "file; nothing was sent.")
                                          .arg(HexId(prepared.unit.unit.id)));
            return;
        }
        bool applyNames = false;
        if (!ask_.confirm(prepared, path, names, applyNames)) {
            return;
        }
        if (applyNames && applyNames_) {
            const bool kept = applyNames_(prepared.file.names);
            if (prepared.differences.empty()) {
                messages_.MsgBox(window_, kept ? tr("The file's names are used for "
                                                    "this unit; no value differed, "
                                                    "nothing was sent.")
                                               : tr("The file's names could not be "
                                                    "kept; nothing was sent."));
                return;
            }
        }
        if (prepared.differences.empty()) {
            messages_.MsgBox(window_, tr("No value differed; nothing was sent."));
            return;
        }
        ShowProgress(tr("Restoring unit %1…").arg(HexId(prepared.unit.unit.id)),
                     static_cast<int>(prepared.differences.size()), true);
        job_.Restore(prepared, [this](const UnitSettingsJob::Outcome& out) {
            EndProgress();
            QString text = Sentence(out.message);
            if (!out.notTaken.empty()) {
                text += (out.cancelled   ? tr("\n\nNot restored:\n%1")
                         : !out.readBack ? tr("\n\nNot sent:\n%1")
                                         : tr("\n\nNot taken:\n%1"))
                            .arg(Listed(out.notTaken));
            }
            if (!out.unknown.empty()) {
                text += tr("\n\nSent, but not read back (unknown):\n%1").arg(Listed(out.unknown));
            }
            messages_.MsgBox(window_, text);
        });
    });
}

} // namespace quadrel
