#include "app/NamesDialog.h"

#include "model/NamesCsv.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quadrel {

namespace {

constexpr int kPortRole = Qt::UserRole;

} // namespace

NamesDialog::NamesDialog(const QString& title, const UnitNames& names, Counts counts,
                         QWidget* parent)
    : QDialog(parent), original_(names), counts_(counts), table_(new QTableWidget(this)),
      note_(new QLabel(this)) {
    setObjectName(QStringLiteral("dlgNames"));
    setWindowTitle(title);
    table_->setObjectName(QStringLiteral("tblNames"));
    table_->setAccessibleName(tr("Names"));
    table_->setColumnCount(2);
    table_->setHorizontalHeaderLabels({tr("Port"), tr("Name")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
    Fill(names);

    auto* import = new QPushButton(tr("&Import CSV…"), this);
    auto* exportButton = new QPushButton(tr("&Export CSV…"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* row = new QHBoxLayout;
    row->addWidget(import);
    row->addWidget(exportButton);
    row->addStretch();
    row->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(note_);
    layout->addLayout(row);
    resize(420, 480);

    chooseFile = [this](bool save) {
        const QString filter = tr("Comma-separated values (*.csv);;All files (*)");
        return save ? QFileDialog::getSaveFileName(this, tr("Export names"),
                                                   QStringLiteral("names.csv"), filter)
                    : QFileDialog::getOpenFileName(this, tr("Import names"), QString(), filter);
    };
    connect(import, &QPushButton::clicked, this, [this] {
        if (const QString path = chooseFile(false); !path.isEmpty()) {
            ImportFrom(path);
        }
    });
    connect(exportButton, &QPushButton::clicked, this, [this] {
        if (const QString path = chooseFile(true); !path.isEmpty()) {
            ExportTo(path);
        }
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void NamesDialog::Fill(const UnitNames& names) {
    std::vector<NamedPort> ports{{NameKind::Unit, 0}};
    const std::pair<NameKind, int> kinds[] = {{NameKind::Input, counts_.inputs},
                                              {NameKind::Output, counts_.outputs},
                                              {NameKind::Preset, counts_.presets}};
    for (const auto& [kind, count] : kinds) {
        for (int n = 1; n <= count; ++n) {
            ports.push_back({kind, n});
        }
    }
    table_->setRowCount(static_cast<int>(ports.size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const NamedPort port = ports[static_cast<size_t>(r)];
        auto* portItem = new QTableWidgetItem(PortCaption(port));
        portItem->setFlags(portItem->flags() & ~Qt::ItemIsEditable);
        portItem->setData(kPortRole,
                          QVariant::fromValue(QPoint(static_cast<int>(port.kind), port.number)));
        table_->setItem(r, 0, portItem);
        table_->setItem(r, 1, new QTableWidgetItem(NameOf(names, port)));
    }
}

UnitNames NamesDialog::names() const {
    UnitNames names = original_;
    for (int r = 0; r < table_->rowCount(); ++r) {
        const QPoint port = table_->item(r, 0)->data(kPortRole).toPoint();
        const QTableWidgetItem* name = table_->item(r, 1);
        SetName(names, {static_cast<NameKind>(port.x()), port.y()},
                name != nullptr ? name->text() : QString());
    }
    return names;
}

bool NamesDialog::ImportFrom(const QString& path) {
    QFile file(path);
    QString error;
    NamesCsv::Imported imported;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
    } else if (NamesCsv::Import(file.read(NamesCsv::kMaxBytes + 1), imported, error)) {
        // The table's names, with those for ports beyond this unit's counts.
        original_ = imported.names;
        Fill(imported.names);
        note_->setText(imported.rejected.isEmpty()
                           ? tr("Imported from %1.").arg(path)
                           : tr("Imported from %1. Not taken: %2.")
                                 .arg(path, imported.rejected.join(QStringLiteral("; "))));
        return true;
    }
    note_->setText(tr("Nothing was imported: %1.").arg(error));
    return false;
}

bool NamesDialog::ExportTo(const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(NamesCsv::Export(names(), counts_.inputs, counts_.outputs, counts_.presets)) <
            0 ||
        !file.commit()) {
        note_->setText(tr("Nothing was exported: %1.").arg(file.errorString()));
        return false;
    }
    note_->setText(tr("Exported to %1.").arg(path));
    return true;
}

} // namespace quadrel
