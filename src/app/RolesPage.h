#pragma once

#include "model/RolesFile.h"

#include <QWidget>

#include <map>

class QCheckBox;
class QLineEdit;
class QTableWidget;

namespace quadrel {

class MessageBoxes;
class WindowLock;

// The Roles tab of Options, the technician's alone: the password, whether
// the window starts locked, and what the staff may touch (per unit the
// outputs, the scenes by name, the technician's actions granted besides).
class RolesPage : public QWidget {
    Q_OBJECT
public:
    // `units`: the outputs of each unit on the line now, by ID.
    RolesPage(WindowLock& lock, const std::map<int, int>& units, MessageBoxes& messages,
              QWidget* parent = nullptr);

    // Checks what was entered and writes it; false, having said why, when it
    // is not taken. The password is hashed here and never kept as typed.
    bool Apply();

    QLineEdit* txtPassword() const { return txtPassword_; }
    QLineEdit* txtRepeat() const { return txtRepeat_; }
    QLineEdit* txtStaffPin() const { return txtStaffPin_; }
    QCheckBox* chkStartLocked() const { return chkStartLocked_; }

    // Short enough to type on a phone; the login's doubling waits make
    // guessing even four digits slow.
    static constexpr int kMinPin = 4;
    static constexpr int kMaxPin = 12;
    QTableWidget* tblOutputs() const { return tblOutputs_; }
    QLineEdit* txtScenes() const { return txtScenes_; }
    QCheckBox* chkGranted(Action action) const;

private:
    // What the tab shows, as it would be stored; false, having said why, if not.
    bool Read(RolesConfig& config);

    WindowLock& lock_;
    MessageBoxes& messages_;
    QLineEdit* txtPassword_ = nullptr;
    QLineEdit* txtRepeat_ = nullptr;
    QLineEdit* txtStaffPin_ = nullptr;
    QCheckBox* chkStartLocked_ = nullptr;
    QTableWidget* tblOutputs_ = nullptr;
    QLineEdit* txtScenes_ = nullptr;
    std::map<Action, QCheckBox*> granted_;
    std::map<int, int> outputCounts_; // 0 for a unit not on the line
};

} // namespace quadrel
