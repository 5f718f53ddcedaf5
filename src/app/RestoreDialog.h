#pragma once

#include "model/UnitSettingsJob.h"

#include <QDialog>

class QLabel;
class QTreeWidget;

namespace quadrel {

// What a restore would change, before anything is sent: one row per value
// the unit holds otherwise than the file, with the notes on ID, name and
// firmware, and the warning when presets pass through the live outputs.
// "Restore" accepts, "Cancel" (the default) rejects.
class RestoreDialog : public QDialog {
    Q_OBJECT
public:
    RestoreDialog(const UnitSettingsJob::Outcome& prepared, const QString& fileName,
                  QWidget* parent = nullptr);

    QTreeWidget* lstDifferences() const { return lstDifferences_; }
    QLabel* lblSummary() const { return lblSummary_; }

private:
    QTreeWidget* lstDifferences_ = nullptr;
    QLabel* lblSummary_ = nullptr;
};

} // namespace quadrel
