#include "app/UnlockDialog.h"

#include "app/WindowLock.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quadrel {

using service::UnlockGuard;

UnlockDialog::UnlockDialog(WindowLock& lock, QWidget* parent) : QDialog(parent), lock_(lock) {
    setObjectName(QStringLiteral("dlgUnlock"));
    setWindowTitle(tr("Unlock"));
    auto* label = new QLabel(tr("The technician's &password:"), this);
    txtPassword_ = new QLineEdit(this);
    txtPassword_->setObjectName(QStringLiteral("txtUnlockPassword"));
    txtPassword_->setEchoMode(QLineEdit::Password);
    txtPassword_->setAccessibleName(tr("The technician's password"));
    label->setBuddy(txtPassword_);
    lblMessage_ = new QLabel(this);
    lblMessage_->setObjectName(QStringLiteral("lblUnlockMessage"));
    lblMessage_->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    cmdUnlock_ = buttons->addButton(tr("&Unlock"), QDialogButtonBox::AcceptRole);
    cmdUnlock_->setObjectName(QStringLiteral("cmdUnlock"));
    cmdUnlock_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Try(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addWidget(label);
    column->addWidget(txtPassword_);
    column->addWidget(lblMessage_);
    column->addWidget(buttons);
    lock_.guard().setOnReady([this] {
        cmdUnlock_->setEnabled(true);
        lblMessage_->setText(tr("Try again."));
        lblMessage_->setAccessibleName(lblMessage_->text());
    });
    ShowWait();
}

UnlockDialog::~UnlockDialog() {
    lock_.guard().setOnReady(nullptr);
}

void UnlockDialog::ShowWait() {
    const auto wait = lock_.guard().wait();
    cmdUnlock_->setEnabled(wait.count() == 0);
    if (wait.count() > 0) {
        //: %1: seconds
        lblMessage_->setText(
            tr("Wrong password. The next try is taken in %1 s.").arg((wait.count() + 999) / 1000));
        lblMessage_->setAccessibleName(lblMessage_->text());
    }
}

void UnlockDialog::Try() {
    const QString password = txtPassword_->text();
    txtPassword_->clear();
    if (lock_.Unlock(password) == UnlockGuard::Result::Accepted) {
        accept();
        return;
    }
    ShowWait();
}

} // namespace quadrel
