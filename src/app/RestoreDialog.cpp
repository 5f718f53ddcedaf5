#include "app/RestoreDialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quadrel {

RestoreDialog::RestoreDialog(const UnitSettingsJob::Outcome& prepared, const QString& fileName,
                             QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("dlgRestore"));
    setWindowTitle(QStringLiteral("Restore unit settings"));
    const UnitIdentity& unit = prepared.unit.unit;
    lblSummary_ = new QLabel(this);
    lblSummary_->setObjectName(QStringLiteral("lblSummary"));
    lblSummary_->setWordWrap(true);
    lblSummary_->setText(
        QStringLiteral("Unit %1 \"%2\" holds %3 values otherwise than %4 (saved %5). Only these "
                       "are sent; the unit is then read back.")
            .arg(unit.id)
            .arg(unit.name)
            .arg(prepared.differences.size())
            .arg(QFileInfo(fileName).fileName(), prepared.file.saved));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary_);
    if (!prepared.notes.isEmpty()) {
        auto* notes = new QLabel(QStringLiteral("Note: ") +
                                     prepared.notes.join(QStringLiteral("; ")) + QLatin1Char('.'),
                                 this);
        notes->setObjectName(QStringLiteral("lblNotes"));
        notes->setWordWrap(true);
        layout->addWidget(notes);
    }

    lstDifferences_ = new QTreeWidget(this);
    lstDifferences_->setObjectName(QStringLiteral("lstDifferences"));
    lstDifferences_->setAccessibleName(QStringLiteral("Differences"));
    lstDifferences_->setRootIsDecorated(false);
    lstDifferences_->setAlternatingRowColors(true);
    lstDifferences_->setHeaderLabels({QStringLiteral("Where"), QStringLiteral("Setting"),
                                      QStringLiteral("Unit now"), QStringLiteral("File")});
    for (const Difference& d : prepared.differences) {
        auto* row = new QTreeWidgetItem(lstDifferences_);
        row->setText(0, Where(d));
        row->setText(1, FieldName(d.field));
        row->setText(2, ValueText(d.field, d.unit));
        row->setText(3, ValueText(d.field, d.file));
    }
    lstDifferences_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(lstDifferences_, 1);

    if (prepared.presets) {
        auto* warning = new QLabel(
            QStringLiteral("Presets are restored by passing each one through the live outputs: "
                           "its routes and levels are set, it is saved to its location, and the "
                           "live state is put back. This is heard and seen on a live system."),
            this);
        warning->setObjectName(QStringLiteral("lblPresetWarning"));
        warning->setWordWrap(true);
        layout->addWidget(warning);
    }

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* restore =
        buttons->addButton(QStringLiteral("Restore"), QDialogButtonBox::AcceptRole);
    restore->setObjectName(QStringLiteral("cmdRestore"));
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(560, 420);
}

} // namespace quadrel
