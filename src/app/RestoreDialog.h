#pragma once

#include "model/UnitSettingsJob.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QTreeWidget;

namespace quadrel {

// What a restore would change, before anything is sent: rows for what
// differs in who the unit is (ID, reported name, firmware), for the names the
// file holds otherwise than this PC, and one per value the unit holds
// otherwise than the file, with the warning when presets pass through the
// live outputs. The file's names are applied only when the box asks for it.
// "Restore" accepts, "Cancel" (the default) rejects. Every text is plain.
class RestoreDialog : public QDialog {
    Q_OBJECT
public:
    RestoreDialog(const UnitSettingsJob::Outcome& prepared, const QString& fileName,
                  const std::vector<NameDifference>& names = {}, QWidget* parent = nullptr);

    QTreeWidget* lstDifferences() const { return lstDifferences_; }
    // Null when the file's names are this PC's already.
    QCheckBox* chkApplyNames() const { return chkApplyNames_; }
    bool applyNames() const;
    QLabel* lblSummary() const { return lblSummary_; }

private:
    QTreeWidget* lstDifferences_ = nullptr;
    QCheckBox* chkApplyNames_ = nullptr;
    QLabel* lblSummary_ = nullptr;
};

} // namespace quadrel
