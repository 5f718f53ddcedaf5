#include "app/RestoreDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quadrel {

RestoreDialog::RestoreDialog(const UnitSettingsJob::Outcome& prepared, const QString& fileName,
                             const std::vector<NameDifference>& names, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("dlgRestore"));
    setWindowTitle(tr("Restore unit settings"));
    const UnitIdentity& unit = prepared.unit.unit;
    lblSummary_ = new QLabel(this);
    lblSummary_->setObjectName(QStringLiteral("lblSummary"));
    // A unit's reported name and a file's name are shown as they are.
    lblSummary_->setTextFormat(Qt::PlainText);
    lblSummary_->setWordWrap(true);
    lblSummary_->setText(
        tr("Unit %1 \"%2\" holds %3 values otherwise than %4 (saved %5). Only these "
           "are sent; the unit is then read back.")
            .arg(QStringLiteral("%1").arg(unit.id, 2, 16, QLatin1Char('0')).toUpper())
            .arg(unit.name)
            .arg(prepared.differences.size())
            .arg(QFileInfo(fileName).fileName(), prepared.file.saved));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary_);

    lstDifferences_ = new QTreeWidget(this);
    lstDifferences_->setObjectName(QStringLiteral("lstDifferences"));
    lstDifferences_->setAccessibleName(tr("Differences"));
    lstDifferences_->setRootIsDecorated(false);
    lstDifferences_->setAlternatingRowColors(true);
    lstDifferences_->setHeaderLabels({tr("Where"), tr("Setting"), tr("Unit now"), tr("File")});
    const auto row = [this](const QString& where, const QString& what, const QString& now,
                            const QString& file) {
        auto* item = new QTreeWidgetItem(lstDifferences_);
        item->setText(0, where);
        item->setText(1, what);
        item->setText(2, now);
        item->setText(3, file);
    };
    for (const IdentityDifference& d : IdentityDifferences(prepared.file.unit, unit)) {
        row(tr("Unit"), d.what, d.unit, d.file);
    }
    const auto shown = [](const QString& name) { return name.isEmpty() ? tr("(none)") : name; };
    for (const NameDifference& d : names) {
        row(PortCaption(d.port), tr("name on this PC"), shown(d.now), shown(d.file));
    }
    for (const Difference& d : prepared.differences) {
        row(Where(d), FieldName(d.field), ValueText(d.field, d.unit), ValueText(d.field, d.file));
    }
    lstDifferences_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(lstDifferences_, 1);

    if (prepared.presets) {
        auto* warning =
            new QLabel(tr("Presets are restored by passing each one through the live outputs: "
                          "its routes and levels are set, it is saved to its location, and the "
                          "live state is put back. This is heard and seen on a live system."),
                       this);
        warning->setObjectName(QStringLiteral("lblPresetWarning"));
        warning->setWordWrap(true);
        layout->addWidget(warning);
    }

    if (!names.empty()) {
        chkApplyNames_ =
            new QCheckBox(tr("Also use the file's names for this unit on this PC"), this);
        chkApplyNames_->setObjectName(QStringLiteral("chkApplyNames"));
        layout->addWidget(chkApplyNames_);
    }

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* restore = buttons->addButton(tr("Restore"), QDialogButtonBox::AcceptRole);
    restore->setObjectName(QStringLiteral("cmdRestore"));
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(560, 420);
}

bool RestoreDialog::applyNames() const {
    return chkApplyNames_ != nullptr && chkApplyNames_->isChecked();
}

} // namespace quadrel
