#pragma once

#include "app/SceneRows.h"
#include "model/Scene.h"
#include "model/UnitNames.h"

#include <QDialog>

#include <functional>
#include <optional>

class QKeySequenceEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace quadrel {

// A scene to edit before it is kept: its name, its shortcut, per unit the
// memory preset loaded first, and a row per value it sets, by the
// operator's names of units and ports. Rows can be removed and values
// changed within what the unit takes. Nothing is kept until Save; Delete
// takes a kept scene out of the file.
class SceneDialog : public QDialog {
    Q_OBJECT
public:
    // What the dialog needs of the window and the scenes file.
    struct Context {
        // The operator's names of a unit the scene names (may be none).
        std::function<UnitNames(const SceneUnit&)> names;
        // The unit on the line at that ID, when it is the same unit.
        std::function<std::optional<UnitIdentity>(const SceneUnit&)> live;
        // What else answers to `keys` ("Undo", "scene “Night”"), empty when
        // nothing does; `scene` is the scene being edited.
        std::function<QString(const QKeySequence& keys, const QString& scene)> shortcutTaken;
        // Keeps `scene` in place of `replacing` (empty: a new scene); why
        // not, or empty when it was kept.
        std::function<QString(const Scene& scene, const QString& replacing)> save;
        std::function<QString(const QString& name)> remove;
        // Yes or no before a scene is deleted.
        std::function<bool(const QString& question)> confirm;
    };
    // Ends with Accepted after Save, kDeleted after Delete.
    static constexpr int kDeleted = 2;

    // `kept`: the scene is in the file under its name (Delete and rename
    // apply); otherwise it is new.
    SceneDialog(Scene scene, bool kept, Context context, QWidget* parent = nullptr);

    // The scene as the dialog holds it now.
    Scene scene() const;
    QLineEdit* txtName() const { return txtName_; }
    QKeySequenceEdit* keyShortcut() const { return keyShortcut_; }
    QTableWidget* tblUnits() const { return tblUnits_; }
    QTableWidget* tblSettings() const { return tblSettings_; }
    QPushButton* cmdRemove() const { return cmdRemove_; }
    QPushButton* cmdSave() const { return cmdSave_; }
    QPushButton* cmdDelete() const { return cmdDelete_; }
    QLabel* lblProblem() const { return lblProblem_; }

    // Save, as the button does: false with the reason shown when refused.
    bool Save();
    void RemoveSelectedRows();

private:
    void FillUnits();
    void FillSettings();
    QWidget* ValueEditor(int row, const SceneRow& value);
    QString UnitCaption(const SceneUnit& unit) const;
    QString PortCaptionOf(const SceneUnit& unit, const SceneRow& row) const;
    const SceneUnit* UnitOf(uint8_t id) const;
    void ShortcutChanged();
    void ShowCount();

    Scene scene_;
    QString keptName_; // empty for a new scene
    Context context_;
    std::vector<SceneRow> rows_; // as the settings table lists them
    QLineEdit* txtName_ = nullptr;
    QKeySequenceEdit* keyShortcut_ = nullptr;
    QTableWidget* tblUnits_ = nullptr;
    QTableWidget* tblSettings_ = nullptr;
    QLabel* lblCount_ = nullptr;
    QLabel* lblProblem_ = nullptr;
    QPushButton* cmdRemove_ = nullptr;
    QPushButton* cmdSave_ = nullptr;
    QPushButton* cmdDelete_ = nullptr;
};

} // namespace quadrel
