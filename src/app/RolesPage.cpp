#include "app/RolesPage.h"

#include "app/MessageBoxes.h"
#include "app/WindowLock.h"
#include "service/PasswordDigest.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include <algorithm>

namespace quadrel {

namespace {

constexpr Action kGrantable[] = {Action::Bass,
                                 Action::Treble,
                                 Action::Subwoofer,
                                 Action::Delay,
                                 Action::Edid,
                                 Action::PresetLoad,
                                 Action::PresetSave,
                                 Action::SaveUnitSettings,
                                 Action::RestoreUnitSettings,
                                 Action::Rename};

QString Hex(int unit) {
    return QStringLiteral("%1").arg(unit, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

RolesPage::RolesPage(WindowLock& lock, const std::map<int, int>& units, MessageBoxes& messages,
                     QWidget* parent)
    : QWidget(parent), lock_(lock), messages_(messages) {
    setObjectName(QStringLiteral("picRoles"));
    const RolesConfig& c = lock_.config();
    txtPassword_ = new QLineEdit(this);
    txtPassword_->setObjectName(QStringLiteral("txtNewPassword"));
    txtPassword_->setEchoMode(QLineEdit::Password);
    txtPassword_->setAccessibleName(tr("New technician's password"));
    txtPassword_->setPlaceholderText(c.password.isSet() ? tr("unchanged") : tr("none set"));
    txtRepeat_ = new QLineEdit(this);
    txtRepeat_->setObjectName(QStringLiteral("txtRepeatPassword"));
    txtRepeat_->setEchoMode(QLineEdit::Password);
    txtRepeat_->setAccessibleName(tr("The new password again"));
    txtStaffPin_ = new QLineEdit(this);
    txtStaffPin_->setObjectName(QStringLiteral("txtStaffPin"));
    txtStaffPin_->setEchoMode(QLineEdit::Password);
    txtStaffPin_->setAccessibleName(tr("New staff PIN for the web panel"));
    txtStaffPin_->setPlaceholderText(c.staffPin.isSet() ? tr("unchanged") : tr("none set"));
    chkStartLocked_ = new QCheckBox(tr("&Start locked for the staff"), this);
    chkStartLocked_->setObjectName(QStringLiteral("chkStartLocked"));
    chkStartLocked_->setChecked(c.startLocked);

    outputCounts_ = units;
    for (const auto& [unit, outputs] : c.staff.outputs) {
        outputCounts_.try_emplace(unit, 0);
    }
    tblOutputs_ = new QTableWidget(static_cast<int>(outputCounts_.size()), 2, this);
    tblOutputs_->setObjectName(QStringLiteral("tblStaffOutputs"));
    tblOutputs_->setAccessibleName(tr("The staff's outputs of each unit"));
    tblOutputs_->setHorizontalHeaderLabels({tr("Unit"), tr("Staff's outputs (as 1-4, 7)")});
    tblOutputs_->horizontalHeader()->setStretchLastSection(true);
    tblOutputs_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tblOutputs_->verticalHeader()->hide();
    int row = 0;
    for (const auto& [unit, count] : outputCounts_) {
        auto* id = new QTableWidgetItem(count > 0 ? tr("%1 (%2 outputs)").arg(Hex(unit)).arg(count)
                                                  : tr("%1 (not on the line)").arg(Hex(unit)));
        id->setFlags(Qt::ItemIsEnabled);
        id->setData(Qt::UserRole, unit);
        tblOutputs_->setItem(row, 0, id);
        const auto kept = c.staff.outputs.find(unit);
        tblOutputs_->setItem(row, 1,
                             new QTableWidgetItem(kept == c.staff.outputs.end()
                                                      ? QString()
                                                      : StaffRules::PortsText(kept->second)));
        ++row;
    }
    txtScenes_ = new QLineEdit(this);
    txtScenes_->setObjectName(QStringLiteral("txtStaffScenes"));
    txtScenes_->setAccessibleName(tr("The staff's scenes, by name"));
    txtScenes_->setText(
        QStringList(c.staff.scenes.begin(), c.staff.scenes.end()).join(QStringLiteral(", ")));

    auto* grants = new QGroupBox(tr("The staff may also"), this);
    auto* grid = new QGridLayout(grants);
    int n = 0;
    for (Action a : kGrantable) {
        auto* box = new QCheckBox(RoleWords::What(a), grants);
        box->setObjectName(QStringLiteral("chkGrant_") + StaffRules::Key(a));
        box->setChecked(c.staff.granted.count(a) != 0);
        grid->addWidget(box, n / 2, n % 2);
        granted_[a] = box;
        ++n;
    }

    auto* form = new QFormLayout(this);
    form->addRow(tr("New &password:"), txtPassword_);
    form->addRow(tr("&Again:"), txtRepeat_);
    form->addRow(tr("Staff P&IN (web panel):"), txtStaffPin_);
    form->addRow(chkStartLocked_);
    form->addRow(new QLabel(tr("What the staff may touch when locked:"), this));
    form->addRow(tblOutputs_);
    form->addRow(tr("S&cenes:"), txtScenes_);
    form->addRow(grants);
    auto* note = new QLabel(
        tr("A forgotten password: delete %1 as the user who runs Quadrel.").arg(lock_.fileName()),
        this);
    note->setWordWrap(true);
    note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(note);
}

QCheckBox* RolesPage::chkGranted(Action action) const {
    const auto it = granted_.find(action);
    return it == granted_.end() ? nullptr : it->second;
}

bool RolesPage::Read(RolesConfig& c) {
    c = lock_.config();
    if (txtPassword_->text() != txtRepeat_->text()) {
        messages_.MsgBox(this, tr("The two passwords differ. Type the new password twice."));
        return false;
    }
    const QString pin = txtStaffPin_->text();
    if (!pin.isEmpty() &&
        (pin.size() < kMinPin || pin.size() > kMaxPin ||
         !std::all_of(pin.begin(), pin.end(), [](QChar ch) { return ch.isDigit(); }))) {
        messages_.MsgBox(this, tr("The staff PIN is %1 to %2 digits.").arg(kMinPin).arg(kMaxPin));
        return false;
    }
    c.startLocked = chkStartLocked_->isChecked();
    c.staff.outputs.clear();
    for (int row = 0; row < tblOutputs_->rowCount(); ++row) {
        const int unit = tblOutputs_->item(row, 0)->data(Qt::UserRole).toInt();
        const int count = outputCounts_[unit];
        const QString text = tblOutputs_->item(row, 1) ? tblOutputs_->item(row, 1)->text() : "";
        const auto ports = StaffRules::ParsePorts(text, count > 0 ? count : RolesFile::kMaxPort);
        if (!ports) {
            messages_.MsgBox(this, tr("Unit %1: \"%2\" is not a list of its outputs (as 1-4, 7).")
                                       .arg(Hex(unit), text));
            return false;
        }
        if (!ports->empty()) {
            c.staff.outputs[unit] = *ports;
        }
    }
    c.staff.scenes.clear();
    for (const QString& name : txtScenes_->text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString scene = name.trimmed();
        if (scene.size() > RolesFile::kMaxSceneName) {
            messages_.MsgBox(
                this,
                tr("A scene's name is longer than %1 characters.").arg(RolesFile::kMaxSceneName));
            return false;
        }
        if (!scene.isEmpty()) {
            c.staff.scenes.insert(scene);
        }
    }
    if (c.staff.scenes.size() > static_cast<size_t>(RolesFile::kMaxScenes)) {
        messages_.MsgBox(this, tr("More than %1 scenes.").arg(RolesFile::kMaxScenes));
        return false;
    }
    c.staff.granted.clear();
    for (const auto& [action, box] : granted_) {
        if (box->isChecked()) {
            c.staff.granted.insert(action);
        }
    }
    if (c.startLocked && !c.password.isSet() && txtPassword_->text().isEmpty()) {
        messages_.MsgBox(this, tr("To start locked, set the technician's password first."));
        return false;
    }
    return true;
}

bool RolesPage::Apply() {
    RolesConfig c;
    if (!Read(c)) {
        return false;
    }
    if (!txtPassword_->text().isEmpty()) {
        c.password = service::PasswordDigest::Make(txtPassword_->text());
    }
    if (!txtStaffPin_->text().isEmpty()) {
        c.staffPin = service::PasswordDigest::Make(txtStaffPin_->text());
    }
    txtPassword_->clear();
    txtRepeat_->clear();
    txtStaffPin_->clear();
    if (c == lock_.config()) {
        return true;
    }
    QString error;
    if (!lock_.Store(c, error)) {
        messages_.MsgBox(
            this, tr("The roles could not be written to %1 (%2).").arg(lock_.fileName(), error));
        return false;
    }
    return true;
}

} // namespace quadrel
