#include "app/NetworkPage.h"

#include "app/MessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quadrel {

namespace {

QSpinBox* PortBox(int value, const QString& name, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(1, 65535);
    box->setValue(value);
    box->setAccessibleName(name);
    return box;
}

QLineEdit* Edit(const QString& text, const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setAccessibleName(name);
    return edit;
}

} // namespace

NetworkPage::NetworkPage(PortSettings& settings, QString tokensFile, MessageBoxes& messages,
                         std::function<void()> applied, QWidget* parent)
    : QWidget(parent), settings_(settings), tokens_(std::move(tokensFile)), messages_(messages),
      applied_(std::move(applied)) {
    setObjectName(QStringLiteral("picNetwork"));
    const PortSettings::Network n = settings_.Read().network;
    chkApi_ = new QCheckBox(tr("Serve the &HTTP API and its event stream"), this);
    chkApi_->setChecked(n.api);
    chkText_ = new QCheckBox(tr("Serve the &text protocol"), this);
    chkText_->setChecked(n.text);
    txtAddress_ = Edit(n.address, tr("Listen on address"), this);
    lblExposed_ = new QLabel(this);
    lblExposed_->setWordWrap(true);
    lblExposed_->setText(tr("Other machines can reach this address: anyone there with a token "
                            "can use the line. Name a certificate and key for encryption."));
    lblExposed_->setAccessibleName(lblExposed_->text());
    spnApiPort_ = PortBox(n.apiPort, tr("HTTP API port"), this);
    spnTextPort_ = PortBox(n.textPort, tr("Text protocol port"), this);
    txtCertificate_ = Edit(n.certificate, tr("Certificate file (PEM)"), this);
    txtKey_ = Edit(n.key, tr("Key file (PEM)"), this);
    txtOrigins_ =
        Edit(n.origins.join(QLatin1Char(' ')), tr("Web pages allowed to call the API"), this);
    txtOrigins_->setPlaceholderText(tr("none; separate several with spaces"));

    auto* doors = new QGroupBox(tr("Network clients"), this);
    auto* form = new QFormLayout(doors);
    form->addRow(chkApi_);
    form->addRow(chkText_);
    form->addRow(tr("&Address:"), txtAddress_);
    form->addRow(lblExposed_);
    form->addRow(tr("HTTP &port:"), spnApiPort_);
    form->addRow(tr("Te&xt port:"), spnTextPort_);
    form->addRow(tr("&Certificate:"), txtCertificate_);
    form->addRow(tr("&Key:"), txtKey_);
    form->addRow(tr("Allowed &origins:"), txtOrigins_);

    tblTokens_ = new QTableWidget(0, 4, this);
    tblTokens_->setAccessibleName(tr("Tokens"));
    tblTokens_->setHorizontalHeaderLabels({tr("Name"), tr("Role"), tr("Made"), tr("ID")});
    tblTokens_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblTokens_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblTokens_->setSelectionMode(QAbstractItemView::SingleSelection);
    tblTokens_->horizontalHeader()->setStretchLastSection(true);
    tblTokens_->verticalHeader()->hide();
    txtTokenName_ = Edit({}, tr("New token's name"), this);
    txtTokenName_->setPlaceholderText(tr("who it is for, as \"Room 2 panel\""));
    cboTokenRole_ = new QComboBox(this);
    cboTokenRole_->setAccessibleName(tr("New token's role"));
    cboTokenRole_->addItems({tr("Staff"), tr("Technician")});
    cmdCreate_ = new QPushButton(tr("Crea&te"), this);
    cmdCreate_->setAccessibleName(tr("Create token"));
    cmdRevoke_ = new QPushButton(tr("&Revoke"), this);
    cmdRevoke_->setAccessibleName(tr("Revoke token"));
    txtNewToken_ = Edit({}, tr("The new token"), this);
    txtNewToken_->setReadOnly(true);
    txtNewToken_->setPlaceholderText(tr("a new token is shown here once: copy it then"));

    auto* tokens = new QGroupBox(tr("Tokens"), this);
    auto* column = new QVBoxLayout(tokens);
    column->addWidget(tblTokens_, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(txtTokenName_, 1);
    row->addWidget(cboTokenRole_);
    row->addWidget(cmdCreate_);
    row->addWidget(cmdRevoke_);
    column->addLayout(row);
    column->addWidget(txtNewToken_);

    auto* page = new QVBoxLayout(this);
    page->addWidget(doors);
    page->addWidget(tokens, 1);

    connect(txtAddress_, &QLineEdit::textChanged, this, &NetworkPage::AddressEdited);
    connect(cmdCreate_, &QPushButton::clicked, this, &NetworkPage::Create);
    connect(cmdRevoke_, &QPushButton::clicked, this, &NetworkPage::Revoke);
    AddressEdited();
    FillTokens();
}

void NetworkPage::AddressEdited() {
    const QHostAddress address(txtAddress_->text().trimmed());
    lblExposed_->setVisible(!address.isNull() && !address.isLoopback());
}

void NetworkPage::FillTokens() {
    QString error;
    if (!tokens_.Refresh(error)) {
        messages_.MsgBox(this, tr("The tokens file cannot be used (%1): no token lets anyone "
                                  "in until it is mended or deleted.")
                                   .arg(error));
    }
    tblTokens_->setRowCount(static_cast<int>(tokens_.tokens().size()));
    int r = 0;
    for (const TokenRecord& t : tokens_.tokens()) {
        const QStringList cells = {
            t.name, t.role == Role::Technician ? tr("Technician") : tr("Staff"),
            QLocale().toString(t.created.toLocalTime(), QLocale::ShortFormat), t.id};
        for (int c = 0; c < cells.size(); ++c) {
            tblTokens_->setItem(r, c, new QTableWidgetItem(cells[c]));
        }
        ++r;
    }
    cmdRevoke_->setEnabled(r > 0);
}

void NetworkPage::Create() {
    QString secret;
    QString error;
    TokenRecord made;
    const Role role = cboTokenRole_->currentIndex() == 1 ? Role::Technician : Role::Staff;
    if (!tokens_.Create(txtTokenName_->text(), role, secret, made, error)) {
        messages_.MsgBox(this, tr("No token was made: %1.").arg(error));
        return;
    }
    txtNewToken_->setText(secret);
    txtNewToken_->selectAll();
    txtTokenName_->clear();
    FillTokens();
}

void NetworkPage::Revoke() {
    const int row = tblTokens_->currentRow();
    if (row < 0 || tblTokens_->item(row, 3) == nullptr) {
        messages_.MsgBox(this, tr("Choose the token to revoke in the list."));
        return;
    }
    QString error;
    if (!tokens_.Revoke(tblTokens_->item(row, 3)->text(), error)) {
        messages_.MsgBox(this, tr("The token was not revoked: %1.").arg(error));
    }
    txtNewToken_->clear();
    FillTokens();
}

bool NetworkPage::Apply() {
    PortSettings::Network n;
    n.api = chkApi_->isChecked();
    n.text = chkText_->isChecked();
    n.address = txtAddress_->text().trimmed();
    n.apiPort = spnApiPort_->value();
    n.textPort = spnTextPort_->value();
    n.certificate = txtCertificate_->text().trimmed();
    n.key = txtKey_->text().trimmed();
    n.origins = txtOrigins_->text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if ((n.api || n.text) && QHostAddress(n.address).isNull()) {
        messages_.MsgBox(this, tr("%1 is not an IP address.").arg(n.address));
        return false;
    }
    if (n.certificate.isEmpty() != n.key.isEmpty()) {
        messages_.MsgBox(this, tr("Encryption needs both a certificate and its key."));
        return false;
    }
    if (n.api && n.text && n.apiPort == n.textPort) {
        messages_.MsgBox(this, tr("The HTTP API and the text protocol need ports of their own."));
        return false;
    }
    QString reason;
    if (!settings_.WriteNetwork(n, reason)) {
        messages_.MsgBox(this, tr("The settings could not be written: %1.").arg(reason));
        return false;
    }
    if (applied_) {
        applied_();
    }
    return true;
}

} // namespace quadrel
