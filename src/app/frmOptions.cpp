#include "app/frmOptions.h"

#include "app/ComLine.h"
#include "app/Language.h"
#include "control/WheelGuard.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace quadrel {

frmOptions::frmOptions(ComLine& line, std::function<void()> clearUnitPane, QWidget* parent)
    : QDialog(parent), line_(line), clearUnitPane_(std::move(clearUnitPane)) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(tr("Options"));
    setModal(true);

    TabStrip1_ = new QTabWidget(this);
    auto* page = new QWidget(TabStrip1_);
    TabStrip1_->addTab(page, QStringLiteral("COM"));
    cboPortNumber_ = new QComboBox(page);
    cboPortNumber_->setObjectName(QStringLiteral("cboPortNumber"));
    cboBaudRate_ = new QComboBox(page);
    cboBaudRate_->setObjectName(QStringLiteral("cboBaudRate"));
    Label1_ = new QLabel(tr("&Port number :"), page);
    Label1_->setBuddy(cboPortNumber_);
    Label2_ = new QLabel(tr("&Baud rate :"), page);
    Label2_->setBuddy(cboBaudRate_);
    GuardWheel(cboPortNumber_);
    GuardWheel(cboBaudRate_);
    auto* form = new QFormLayout(page);
    form->addRow(Label1_, cboPortNumber_);
    form->addRow(Label2_, cboBaudRate_);

    AddLanguagePage();

    cmdOK_ = new QPushButton(tr("OK"), this);
    cmdOK_->setDefault(true);
    cmdCancel_ = new QPushButton(tr("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TabStrip1_);
    layout->addLayout(buttons);

    connect(cmdOK_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cboPortNumber_, &QComboBox::currentIndexChanged, this, [this] { UpdateOK(); });
    connect(cboBaudRate_, &QComboBox::currentIndexChanged, this, [this] { UpdateOK(); });

    // While the port is open its list is kept: the open port is still in it.
    if (!line_.port().isOpen()) {
        line_.comm().GetExistPort();
    }
    FillPortNumberList();
    FillBaudRateList();
    blOptionsCancelled_ = true;
    UpdateOK();
}

void frmOptions::AddLanguagePage() {
    auto* page = new QWidget(TabStrip1_);
    TabStrip1_->addTab(page, tr("Window"));
    cboLanguage_ = new QComboBox(page);
    cboLanguage_->setObjectName(QStringLiteral("cboLanguage"));
    GuardWheel(cboLanguage_);
    const std::optional<LanguageChoice> kept = ParseLanguage(line_.settings().Read().language);
    for (LanguageChoice choice :
         {LanguageChoice::System, LanguageChoice::English, LanguageChoice::TraditionalChinese}) {
        cboLanguage_->addItem(LanguageCaption(choice), LanguageKey(choice));
        if (choice == kept.value_or(LanguageChoice::System)) {
            cboLanguage_->setCurrentIndex(cboLanguage_->count() - 1);
        }
    }
    keptLanguage_ = cboLanguage_->currentData().toString();
    auto* label = new QLabel(tr("&Language:"), page);
    label->setBuddy(cboLanguage_);
    // Every caption is made when its window is: a new language shows whole
    // at the next start rather than half now.
    auto* note = new QLabel(tr("The window changes its language at the next start."), page);
    note->setObjectName(QStringLiteral("lblLanguageNote"));
    note->setWordWrap(true);
    auto* form = new QFormLayout(page);
    form->addRow(label, cboLanguage_);
    form->addRow(note);
}

void frmOptions::FillPortNumberList() {
    FillPortNumberList(line_.iPortNumber);
}

void frmOptions::FillPortNumberList(int selectPort) {
    cboPortNumber_->clear();
    int selected = -1;
    for (const QString& entry : line_.comm().PortList()) {
        const int number = entry.toInt();
        cboPortNumber_->addItem(QStringLiteral("COM") + entry, number);
        const QString device = line_.comm().DevicePath(number);
        const QString description = line_.comm().Description(number);
        cboPortNumber_->setItemData(
            cboPortNumber_->count() - 1,
            description.isEmpty() ? device : device + QStringLiteral("\n") + description,
            Qt::ToolTipRole);
        if (number == selectPort) {
            selected = cboPortNumber_->count() - 1;
        }
    }
    // No entry is chosen for the operator when that port is gone.
    cboPortNumber_->setCurrentIndex(selected);
}

void frmOptions::FillBaudRateList() {
    cboBaudRate_->clear();
    int selected = -1;
    for (const QString& entry : line_.comm().BaudRateList()) {
        const int rate = entry.toInt();
        cboBaudRate_->addItem(entry, rate);
        if (rate == line_.lBaudRate) {
            selected = cboBaudRate_->count() - 1;
        }
    }
    // Open on the rate in use, so OK without a change keeps the line as it is.
    cboBaudRate_->setCurrentIndex(selected >= 0 ? selected : 0);
}

void frmOptions::UpdateOK() {
    cmdOK_->setEnabled(cboPortNumber_->currentIndex() >= 0 && cboBaudRate_->currentIndex() >= 0);
}

void frmOptions::AddPage(QWidget* page, const QString& caption, std::function<bool()> apply) {
    TabStrip1_->addTab(page, caption);
    applies_.push_back(std::move(apply));
}

void frmOptions::cmdOK_Click() {
    if (cboPortNumber_->currentIndex() < 0 || cboBaudRate_->currentIndex() < 0) {
        return;
    }
    for (const auto& apply : applies_) {
        if (apply && !apply()) {
            return;
        }
    }
    const auto port = static_cast<int16_t>(cboPortNumber_->currentData().toInt());
    const auto rate = static_cast<int32_t>(cboBaudRate_->currentData().toInt());
    if (line_.OpenCommPort(port, rate)) {
        line_.iPortNumber = port;
        line_.lBaudRate = rate;
        QString reason;
        if (!line_.settings().Write(port, rate, reason)) {
            line_.messages().MsgBox(
                this, tr("COM%1 at %2 baud is in use now, but the choice could not be "
                         "stored in %3 (%4). The next start will not use it.")
                          .arg(port)
                          .arg(rate)
                          .arg(line_.settings().fileName(), reason));
        }
        const QString language = cboLanguage_->currentData().toString();
        if (language != keptLanguage_ && !line_.settings().WriteLanguage(language, reason)) {
            line_.messages().MsgBox(this, tr("The language could not be stored in %1 (%2).")
                                              .arg(line_.settings().fileName(), reason));
        }
        blOptionsCancelled_ = false;
        accept();
        return;
    }
    line_.messages().MsgBox(this, tr("Can not open COM%1").arg(port));
    line_.comm().GetExistPort();
    // The list stays on the port just tried: going back to the port in use
    // would make a second OK open and store a port the operator did not pick.
    FillPortNumberList(port);
}

void frmOptions::cmdCancel_Click() {
    if (!line_.port().isOpen() && clearUnitPane_) {
        clearUnitPane_();
    }
    reject();
}

void frmOptions::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace quadrel
