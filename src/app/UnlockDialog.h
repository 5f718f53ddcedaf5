#pragma once

#include <QCoreApplication>
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quadrel {

class WindowLock;

// Asks the technician's password. A wrong one is refused and the next try
// waits, twice as long after each; the dialog shows the wait and takes no
// password until it has passed.
class UnlockDialog : public QDialog {
    Q_OBJECT
public:
    UnlockDialog(WindowLock& lock, QWidget* parent = nullptr);
    ~UnlockDialog() override;

    QLineEdit* txtPassword() const { return txtPassword_; }
    QLabel* lblMessage() const { return lblMessage_; }
    QPushButton* cmdUnlock() const { return cmdUnlock_; }

private:
    void Try();
    void ShowWait();

    WindowLock& lock_;
    QLineEdit* txtPassword_ = nullptr;
    QLabel* lblMessage_ = nullptr;
    QPushButton* cmdUnlock_ = nullptr;
};

} // namespace quadrel
