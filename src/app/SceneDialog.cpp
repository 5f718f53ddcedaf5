#include "app/SceneDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace quadrel {

namespace {

QString HexId(int id) {
    return QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
}

// "Output 3 (Stage left)", or "Output 3" without a name.
QString Named(NamedPort port, const UnitNames& names) {
    const QString name = NameOf(names, port);
    return name.isEmpty() ? PortCaption(port)
                          : QStringLiteral("%1 (%2)").arg(PortCaption(port), name);
}

QTableWidget* NewTable(const QString& object, const QString& accessible, const QStringList& headers,
                       QWidget* parent) {
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    table->setObjectName(object);
    table->setAccessibleName(accessible);
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

} // namespace

SceneDialog::SceneDialog(Scene scene, bool kept, Context context, QWidget* parent)
    : QDialog(parent), scene_(std::move(scene)), keptName_(kept ? scene_.name : QString()),
      context_(std::move(context)) {
    setObjectName(QStringLiteral("dlgScene"));
    setWindowTitle(kept ? tr("Scene “%1”").arg(scene_.name) : tr("New scene"));

    txtName_ = new QLineEdit(scene_.name, this);
    txtName_->setObjectName(QStringLiteral("txtName"));
    txtName_->setAccessibleName(tr("Scene name"));
    txtName_->setMaxLength(64);
    keyShortcut_ = new QKeySequenceEdit(
        QKeySequence::fromString(scene_.shortcut, QKeySequence::PortableText), this);
    keyShortcut_->setObjectName(QStringLiteral("keyShortcut"));
    keyShortcut_->setAccessibleName(tr("Shortcut"));
    keyShortcut_->setClearButtonEnabled(true);
    keyShortcut_->setToolTip(tr("Press the keys that recall the scene; clear it for none."));
    connect(keyShortcut_, &QKeySequenceEdit::keySequenceChanged, this,
            [this] { ShortcutChanged(); });
    auto* form = new QFormLayout;
    form->addRow(tr("&Name:"), txtName_);
    form->addRow(tr("&Shortcut:"), keyShortcut_);

    tblUnits_ = NewTable(QStringLiteral("tblUnits"), tr("Units of the scene"),
                         {tr("Unit"), tr("Memory preset loaded first")}, this);
    tblSettings_ = NewTable(QStringLiteral("tblSettings"), tr("What the scene sets"),
                            {tr("Unit"), tr("Port"), tr("Setting"), tr("Value")}, this);
    lblCount_ = new QLabel(this);
    lblCount_->setObjectName(QStringLiteral("lblCount"));
    cmdRemove_ = new QPushButton(tr("&Remove rows"), this);
    cmdRemove_->setObjectName(QStringLiteral("cmdRemove"));
    cmdRemove_->setToolTip(tr("The scene leaves the selected settings as the units hold them."));
    connect(cmdRemove_, &QPushButton::clicked, this, [this] { RemoveSelectedRows(); });
    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(lblCount_, 1);
    rowButtons->addWidget(cmdRemove_);

    lblProblem_ = new QLabel(this);
    lblProblem_->setObjectName(QStringLiteral("lblProblem"));
    lblProblem_->setTextFormat(Qt::PlainText);
    lblProblem_->setWordWrap(true);
    lblProblem_->setStyleSheet(QStringLiteral("color: #b00020;"));

    auto* buttons = new QDialogButtonBox(this);
    cmdSave_ = buttons->addButton(tr("Save"), QDialogButtonBox::AcceptRole);
    cmdSave_->setObjectName(QStringLiteral("cmdSave"));
    cmdSave_->setDefault(true);
    if (kept) {
        cmdDelete_ = buttons->addButton(tr("&Delete scene"), QDialogButtonBox::DestructiveRole);
        cmdDelete_->setObjectName(QStringLiteral("cmdDelete"));
        connect(cmdDelete_, &QPushButton::clicked, this, [this] {
            if (context_.confirm &&
                !context_.confirm(
                    tr("Delete the scene “%1”? Its units are not changed.").arg(keptName_))) {
                return;
            }
            const QString problem = context_.remove ? context_.remove(keptName_) : QString();
            if (problem.isEmpty()) {
                done(kDeleted);
            } else {
                lblProblem_->setText(problem);
            }
        });
    }
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdSave_, &QPushButton::clicked, this, [this] { Save(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(tblUnits_);
    layout->addWidget(tblSettings_, 1);
    layout->addLayout(rowButtons);
    layout->addWidget(lblProblem_);
    layout->addWidget(buttons);
    FillUnits();
    FillSettings();
    resize(640, 520);
}

const SceneUnit* SceneDialog::UnitOf(uint8_t id) const {
    const auto it = std::find_if(scene_.units.begin(), scene_.units.end(),
                                 [id](const SceneUnit& u) { return u.id == id; });
    return it == scene_.units.end() ? nullptr : &*it;
}

QString SceneDialog::UnitCaption(const SceneUnit& unit) const {
    const QString own = context_.names ? context_.names(unit).unit : QString();
    //: a unit: its name, its ID on the line in hex
    return tr("%1 (ID %2)").arg(own.isEmpty() ? unit.name : own, HexId(unit.id));
}

QString SceneDialog::PortCaptionOf(const SceneUnit& unit, const SceneRow& row) const {
    const UnitNames names = context_.names ? context_.names(unit) : UnitNames{};
    return Named({row.setting == Setting::Edid ? NameKind::Input : NameKind::Output, row.port},
                 names);
}

void SceneDialog::FillUnits() {
    tblUnits_->setRowCount(static_cast<int>(scene_.units.size()));
    for (int r = 0; r < tblUnits_->rowCount(); ++r) {
        const SceneUnit& unit = scene_.units[static_cast<size_t>(r)];
        const QString caption = UnitCaption(unit);
        tblUnits_->setItem(r, 0, new QTableWidgetItem(caption));
        const std::optional<UnitIdentity> live = context_.live ? context_.live(unit) : std::nullopt;
        const UnitNames names = context_.names ? context_.names(unit) : UnitNames{};
        auto* presets = new QComboBox(tblUnits_);
        presets->setObjectName(QStringLiteral("cboPreset%1").arg(HexId(unit.id)));
        presets->setAccessibleName(tr("Memory preset loaded first on %1").arg(caption));
        presets->addItem(tr("None"), -1);
        // Away from the line the unit cannot tell its locations: the one
        // chosen stays on offer.
        const int count = live ? live->memories : unit.preset.value_or(0);
        for (int location = 1; location <= count; ++location) {
            presets->addItem(Named({NameKind::Preset, location}, names), location);
        }
        presets->setCurrentIndex(std::max(0, presets->findData(unit.preset.value_or(-1))));
        const uint8_t id = unit.id;
        connect(presets, &QComboBox::currentIndexChanged, this, [this, presets, id] {
            for (SceneUnit& u : scene_.units) {
                if (u.id == id) {
                    const int location = presets->currentData().toInt();
                    u.preset = location > 0 ? std::optional<int>(location) : std::nullopt;
                }
            }
        });
        tblUnits_->setCellWidget(r, 1, presets);
    }
    // Up to four units shown whole; the settings below take the rest.
    tblUnits_->resizeRowsToContents();
    int height = tblUnits_->horizontalHeader()->sizeHint().height() + 2 * tblUnits_->frameWidth();
    for (int r = 0; r < std::min(4, tblUnits_->rowCount()); ++r) {
        height += tblUnits_->rowHeight(r);
    }
    tblUnits_->setMaximumHeight(height);
}

void SceneDialog::FillSettings() {
    rows_ = SceneRows::Of(scene_);
    tblSettings_->setRowCount(static_cast<int>(rows_.size()));
    for (int r = 0; r < tblSettings_->rowCount(); ++r) {
        const SceneRow& row = rows_[static_cast<size_t>(r)];
        const SceneUnit& unit = *UnitOf(row.id);
        tblSettings_->setItem(r, 0, new QTableWidgetItem(UnitCaption(unit)));
        tblSettings_->setItem(r, 1, new QTableWidgetItem(PortCaptionOf(unit, row)));
        tblSettings_->setItem(r, 2, new QTableWidgetItem(FieldName(row.setting)));
        tblSettings_->setCellWidget(r, 3, ValueEditor(r, row));
    }
    ShowCount();
}

QWidget* SceneDialog::ValueEditor(int r, const SceneRow& row) {
    const SceneUnit& unit = *UnitOf(row.id);
    const SceneRowRange range =
        SceneRows::RangeOf(unit, row, context_.live ? context_.live(unit) : std::nullopt);
    //: a value in the scene's list: unit, port, setting
    const QString accessible =
        tr("%1, %2, %3").arg(UnitCaption(unit), PortCaptionOf(unit, row), FieldName(row.setting));
    // The row's value, as the scene holds it after each change.
    const auto take = [this, r, range](int value) {
        if (SceneRows::Set(scene_, rows_[static_cast<size_t>(r)], value, range)) {
            rows_[static_cast<size_t>(r)].value = value;
        }
    };
    QWidget* editor = nullptr;
    if (range.fixed) {
        auto* label = new QLabel(ValueText(row.setting, row.value), tblSettings_);
        label->setToolTip(tr("The unit is not on the line to tell what it takes: the value "
                             "stays as captured."));
        editor = label;
    } else if (row.setting == Setting::AudioRoute || row.setting == Setting::VideoRoute ||
               row.setting == Setting::Mute || row.setting == Setting::Edid) {
        auto* choices = new QComboBox(tblSettings_);
        const UnitNames names = context_.names ? context_.names(unit) : UnitNames{};
        const bool route = row.setting == Setting::AudioRoute || row.setting == Setting::VideoRoute;
        for (int v = range.low; v <= range.high; ++v) {
            choices->addItem(
                route && v > 0 ? Named({NameKind::Input, v}, names) : ValueText(row.setting, v), v);
        }
        choices->setCurrentIndex(std::max(0, choices->findData(row.value)));
        connect(choices, &QComboBox::currentIndexChanged, this,
                [choices, take] { take(choices->currentData().toInt()); });
        editor = choices;
    } else {
        auto* spin = new QSpinBox(tblSettings_);
        spin->setRange(range.low, range.high);
        spin->setSingleStep(range.step);
        spin->setValue(row.value);
        // A typed delay between steps goes to the nearest step.
        connect(spin, &QSpinBox::editingFinished, this, [spin, range] {
            const int steps = static_cast<int>(
                std::lround(double(spin->value() - range.low) / std::max(range.step, 1)));
            spin->setValue(range.low + steps * std::max(range.step, 1));
        });
        connect(spin, &QSpinBox::valueChanged, this, take);
        editor = spin;
    }
    editor->setObjectName(QStringLiteral("value%1").arg(r));
    editor->setAccessibleName(accessible);
    return editor;
}

void SceneDialog::ShowCount() {
    lblCount_->setText(tr("%n value(s) on %1 unit(s)", nullptr, static_cast<int>(rows_.size()))
                           .arg(scene_.units.size()));
}

void SceneDialog::RemoveSelectedRows() {
    std::vector<int> picked;
    for (const QModelIndex& index : tblSettings_->selectionModel()->selectedRows()) {
        picked.push_back(index.row());
    }
    std::sort(picked.rbegin(), picked.rend());
    for (const int r : picked) {
        SceneRows::Remove(scene_, rows_[static_cast<size_t>(r)]);
    }
    // The editors know their rows by number: the list is made anew.
    FillSettings();
}

void SceneDialog::ShortcutChanged() {
    QKeySequence keys = keyShortcut_->keySequence();
    if (keys.count() > 1) {
        // One chord: a scene answers at once, not after a sequence.
        keyShortcut_->setKeySequence(QKeySequence(keys[0]));
        return;
    }
    const QString holder = context_.shortcutTaken && !keys.isEmpty()
                               ? context_.shortcutTaken(keys, keptName_)
                               : QString();
    lblProblem_->setText(holder.isEmpty()
                             ? QString()
                             : tr("%1 is taken by %2: choose other keys.")
                                   .arg(keys.toString(QKeySequence::NativeText), holder));
}

Scene SceneDialog::scene() const {
    Scene out = scene_;
    out.name = txtName_->text().trimmed();
    out.shortcut = keyShortcut_->keySequence().toString(QKeySequence::PortableText);
    // A unit the rows no longer reach, with no preset to load, is not kept.
    std::erase_if(out.units, [](const SceneUnit& u) {
        return u.values.outputs.empty() && u.values.edid.empty() && !u.preset;
    });
    return out;
}

bool SceneDialog::Save() {
    const Scene out = scene();
    QString problem;
    if (out.name.isEmpty()) {
        problem = tr("Give the scene a name.");
    } else if (out.units.empty()) {
        problem = tr("The scene sets nothing: add a preset or keep some rows.");
    } else if (const QString holder =
                   context_.shortcutTaken && !out.shortcut.isEmpty()
                       ? context_.shortcutTaken(keyShortcut_->keySequence(), keptName_)
                       : QString();
               !holder.isEmpty()) {
        problem = tr("%1 is taken by %2: choose other keys.")
                      .arg(keyShortcut_->keySequence().toString(QKeySequence::NativeText), holder);
    } else if (context_.save) {
        problem = context_.save(out, keptName_);
    }
    lblProblem_->setText(problem);
    if (problem.isEmpty()) {
        accept();
    }
    return problem.isEmpty();
}

} // namespace quadrel
