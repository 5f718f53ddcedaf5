#pragma once

#include <QCoreApplication>

#include "model/UnitNames.h"
#include "model/UnitSettingsJob.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

namespace quadrel {

class MessageBoxes;
class QuadrelCore;

// "Save unit settings…" and "Restore unit settings…": the dialogs around the
// job that does the work. The file chooser and the yes/no questions can be
// answered by a test.
class UnitSettingsUi {
    Q_DECLARE_TR_FUNCTIONS(UnitSettingsUi)

public:
    struct Ask {
        // A file name to save to (save) or read from; empty to give up.
        std::function<QString(bool save, const QString& suggested)> fileName;
        // A question with Yes and No.
        std::function<bool(const QString& question)> yesNo;
        // The list of differences: true to restore; `applyNames` set when the
        // operator asks for the file's names too.
        std::function<bool(const UnitSettingsJob::Outcome& prepared, const QString& path,
                           const std::vector<NameDifference>& names, bool& applyNames)>
            confirm;
    };

    UnitSettingsUi(QuadrelCore& core, TimerFactory& timers, MessageBoxes& messages,
                   QWidget* window);
    ~UnitSettingsUi();

    Ask& ask() { return ask_; }
    UnitSettingsJob& job() { return job_; }
    // Names of the selected unit to save with its settings (none kept yet).
    void setNames(std::function<UnitNames()> names) { names_ = std::move(names); }
    // Makes a file's names the selected unit's on this PC; false when they
    // could not be kept.
    void setApplyNames(std::function<bool(const UnitNames&)> apply) {
        applyNames_ = std::move(apply);
    }

    void Save();
    void Restore();
    // The same without the file chooser.
    void SaveTo(const QString& path);
    void RestoreFrom(const QString& path);

private:
    bool UnitReady();
    void ShowProgress(const QString& label, int total, bool cancel);
    void EndProgress();

    QuadrelCore& core_;
    MessageBoxes& messages_;
    QWidget* window_;
    UnitSettingsJob job_;
    Ask ask_;
    std::function<UnitNames()> names_;
    std::function<bool(const UnitNames&)> applyNames_;
    QPointer<QProgressDialog> progress_;
};

} // namespace quadrel
