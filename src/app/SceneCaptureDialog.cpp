#include "app/SceneCaptureDialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>
#include <set>

namespace quadrel {

namespace {

constexpr int kPortRole = Qt::UserRole;       // the port number of a port's tick
constexpr int kOutputRole = Qt::UserRole + 1; // true for an output, false for an input

QString HexId(int id) {
    return QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
}

QTreeWidgetItem* Ticked(QTreeWidgetItem* parent, const QString& text) {
    auto* item = new QTreeWidgetItem(parent, {text});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
    item->setCheckState(0, Qt::Checked);
    return item;
}

} // namespace

SceneCaptureDialog::SceneCaptureDialog(const std::vector<Unit>& units, const QString& name,
                                       QWidget* parent)
    : QDialog(parent), units_(units) {
    setObjectName(QStringLiteral("dlgSceneCapture"));
    setWindowTitle(tr("New scene from the units"));
    txtName_ = new QLineEdit(name, this);
    txtName_->setObjectName(QStringLiteral("txtName"));
    txtName_->setAccessibleName(tr("Scene name"));
    txtName_->setMaxLength(64);
    auto* form = new QFormLayout;
    form->addRow(tr("&Name:"), txtName_);

    lstUnits_ = new QTreeWidget(this);
    lstUnits_->setObjectName(QStringLiteral("lstUnits"));
    lstUnits_->setAccessibleName(tr("Units and ports to take"));
    lstUnits_->setHeaderLabels({tr("Units, outputs and inputs to take")});
    for (const Unit& unit : units_) {
        const QString own = unit.names.unit.isEmpty() ? unit.identity.name : unit.names.unit;
        auto* top =
            new QTreeWidgetItem(lstUnits_, {tr("%1 (ID %2)").arg(own, HexId(unit.identity.id))});
        top->setFlags(top->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
        top->setCheckState(0, Qt::Checked);
        const auto ports = [&](bool output, int count, const QString& caption) {
            QTreeWidgetItem* group = Ticked(top, caption);
            for (int port = 1; port <= count; ++port) {
                const NamedPort named{output ? NameKind::Output : NameKind::Input, port};
                const QString own = NameOf(unit.names, named);
                QTreeWidgetItem* item = Ticked(
                    group, own.isEmpty() ? PortCaption(named)
                                         : QStringLiteral("%1 (%2)").arg(PortCaption(named), own));
                item->setData(0, kPortRole, port);
                item->setData(0, kOutputRole, output);
            }
        };
        ports(true, unit.identity.outputs, tr("Outputs"));
        // A unit not read yet has not told its EDID control: its inputs are
        // offered, and the capture takes what it has.
        if (unit.identity.edid || unit.identity.video) {
            ports(false, unit.identity.inputs, tr("Inputs (EDID)"));
        }
        top->setExpanded(units_.size() == 1);
    }

    auto* whatBox = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    const std::pair<SceneCapture::What, QString> choices[] = {
        {SceneCapture::What::Everything, tr("&Every setting")},
        {SceneCapture::What::Routes, tr("&Routes")},
        {SceneCapture::What::AudioRoutes, tr("&Audio routes")},
        {SceneCapture::What::VideoRoutes, tr("&Video routes")}};
    for (const auto& [what, caption] : choices) {
        auto* option = new QRadioButton(caption, this);
        option->setObjectName(QStringLiteral("optWhat%1").arg(static_cast<int>(what)));
        group->addButton(option);
        whatBox->addWidget(option);
        what_.push_back(option);
    }
    what_.front()->setChecked(true);
    whatBox->addStretch();
    connect(group, &QButtonGroup::buttonToggled, this, [this] { WhatChanged(); });

    auto* note = new QLabel(tr("The values are read afresh from each unit ticked; the scene is "
                               "then shown to edit before it is kept."),
                            this);
    note->setObjectName(QStringLiteral("lblNote"));
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* take = buttons->addButton(tr("&Take"), QDialogButtonBox::AcceptRole);
    take->setObjectName(QStringLiteral("cmdTake"));
    take->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lstUnits_, 1);
    layout->addLayout(whatBox);
    layout->addWidget(note);
    layout->addWidget(buttons);
    resize(480, 480);
}

QRadioButton* SceneCaptureDialog::optWhat(SceneCapture::What what) const {
    return what_.at(static_cast<size_t>(what));
}

QTreeWidgetItem* SceneCaptureDialog::PortItem(int id, bool output, int port) const {
    for (size_t u = 0; u < units_.size(); ++u) {
        if (units_[u].identity.id != id) {
            continue;
        }
        QTreeWidgetItem* top = lstUnits_->topLevelItem(static_cast<int>(u));
        QTreeWidgetItem* group = top->child(output ? 0 : 1);
        return group != nullptr && port >= 1 && port <= group->childCount() ? group->child(port - 1)
                                                                            : nullptr;
    }
    return nullptr;
}

void SceneCaptureDialog::WhatChanged() {
    // Only every setting takes the inputs' EDID.
    const bool inputs = what_.front()->isChecked();
    for (int u = 0; u < lstUnits_->topLevelItemCount(); ++u) {
        if (QTreeWidgetItem* group = lstUnits_->topLevelItem(u)->child(1)) {
            group->setDisabled(!inputs);
        }
    }
}

SceneCapture SceneCaptureDialog::request() const {
    SceneCapture out;
    out.name = txtName_->text().trimmed();
    for (size_t w = 0; w < what_.size(); ++w) {
        if (what_[w]->isChecked()) {
            out.what = static_cast<SceneCapture::What>(w);
        }
    }
    for (size_t u = 0; u < units_.size(); ++u) {
        QTreeWidgetItem* top = lstUnits_->topLevelItem(static_cast<int>(u));
        SceneCapture::Pick pick;
        pick.id = static_cast<uint8_t>(units_[u].identity.id);
        bool every[2] = {true, true};
        for (int g = 0; g < top->childCount(); ++g) {
            QTreeWidgetItem* group = top->child(g);
            const bool output = g == 0;
            if (!output && out.what != SceneCapture::What::Everything) {
                continue;
            }
            for (int p = 0; p < group->childCount(); ++p) {
                QTreeWidgetItem* item = group->child(p);
                if (item->checkState(0) == Qt::Checked) {
                    (output ? pick.outputs : pick.inputs)
                        .push_back(item->data(0, kPortRole).toInt());
                } else {
                    every[g] = false;
                }
            }
        }
        if (pick.outputs.empty() && pick.inputs.empty()) {
            continue; // nothing of this unit ticked
        }
        // A kind with none ticked is asked as all, then trimmed.
        // Every port of a kind is asked as all of them: the same, shorter.
        if (every[0]) {
            pick.outputs.clear();
        }
        if (every[1]) {
            pick.inputs.clear();
        }
        out.units.push_back(std::move(pick));
    }
    return out;
}

std::function<void(Scene&)> SceneCaptureDialog::Trimmer() const {
    // The ticks as they are now: the capture ends after the dialog.
    std::map<int, std::pair<std::set<int>, std::set<int>>> ticked;
    for (const Unit& unit : units_) {
        auto& [outputs, inputs] = ticked[unit.identity.id];
        for (const bool output : {true, false}) {
            for (int port = 1;; ++port) {
                const QTreeWidgetItem* item = PortItem(unit.identity.id, output, port);
                if (item == nullptr) {
                    break;
                }
                if (item->checkState(0) == Qt::Checked && !item->parent()->isDisabled()) {
                    (output ? outputs : inputs).insert(port);
                }
            }
        }
    }
    return [ticked](Scene& scene) {
        for (SceneUnit& unit : scene.units) {
            const auto it = ticked.find(unit.id);
            if (it == ticked.end()) {
                continue;
            }
            // Named, not bound: a lambda may not capture a structured binding.
            const auto& outputs = it->second.first;
            const auto& inputs = it->second.second;
            std::erase_if(unit.values.outputs,
                          [&](const auto& kv) { return outputs.count(kv.first) == 0; });
            std::erase_if(unit.values.edid,
                          [&](const auto& kv) { return inputs.count(kv.first) == 0; });
        }
    };
}

} // namespace quadrel
