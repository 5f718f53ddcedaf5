// Scenes from the window, on two emulated units: taken from the line,
// listed, edited and kept; recalled by their shortcut and taken back by
// Undo; cancelled from the progress dialog.
#include "AppRig.h"

#include "app/SceneCaptureDialog.h"
#include "app/SceneDialog.h"
#include "app/SceneUi.h"
#include "app/WindowLock.h"
#include "app/frmMain.h"
#include "model/NamesStore.h"
#include "service/PasswordDigest.h"

#include <QAction>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

// Each output's audio input and volume.
using Outputs = std::vector<std::pair<int, int>>;

class SceneWindow {
public:
    SceneWindow() {
        sim_ = &rig.UseSimPort();
        for (const uint8_t id : {1, 2}) {
            sim_->engine().addUnit(SimUnit(id, 8, 8, "Matrix " + std::to_string(id)));
        }
        EXPECT_TRUE(rig.program().Main());
        // The line is scanned: nothing that needs it can be asked yet.
        EXPECT_FALSE(ui().actNew()->isEnabled());
        EXPECT_EQ(ui().actNew()->toolTip(), ui().NotReady());
        EXPECT_TRUE(Settle());
        EXPECT_TRUE(ui().actNew()->isEnabled());
    }
    QuadrelCore& core() { return rig.program().core(); }
    SceneUi& ui() { return *rig.program().scenes(); }
    sim::UnitState& State(uint8_t id) { return sim_->engine().unit(id)->state(); }
    Outputs Audio(uint8_t id) {
        Outputs out;
        for (const sim::AudioOutputState& o : State(id).audio) {
            out.emplace_back(o.input, o.volume);
        }
        return out;
    }
    // As Lecture() sets every output.
    static Outputs Lectured() { return Outputs(8, {3, 70}); }
    bool Settle() {
        const bool done = rig.time.advanceUntil(
            [&] {
                return core().model.FindUnit(1) && core().model.FindUnit(2) &&
                       !core().status.IsBusy() && !ui().job().Running() &&
                       !core().link.queue.IsWaitingForAnswer();
            },
            120s);
        QApplication::processEvents();
        return done;
    }
    // A scene setting audio input 3 and volume 70 on every output of both units.
    Scene Lecture() {
        Scene scene{QStringLiteral("Lecture"), QStringLiteral("Ctrl+1"), {}};
        for (const uint8_t id : {1, 2}) {
            SceneUnit unit{id, core().model.FindUnit(id)->sName(), 8, 8, std::nullopt, {}};
            for (int o = 1; o <= 8; ++o) {
                unit.values.outputs[o].audioInput = 3;
                unit.values.outputs[o].volume = 70;
            }
            scene.units.push_back(unit);
        }
        // Kept by another program: the window takes it up from the file.
        SceneStore other(ui().store().fileName());
        other.Load();
        EXPECT_TRUE(other.Save(scene)) << other.problem().toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return ui().SceneAction(scene.name) != nullptr; }, 5000));
        return scene;
    }

    AppRig rig;

private:
    sim::SimSerialPort* sim_ = nullptr;
};

} // namespace

TEST(SceneUi, TakesTwoUnitsListsThemByNameEditsAndKeepsTheScene) {
    SceneWindow w;
    w.State(1).audio[2].volume = 40; // output 3
    const UnitRef second = w.core().model.FindUnit(2);
    ASSERT_TRUE(w.rig.program().names().SetNames(
        UnitReport::Of(*second, 200),
        {QStringLiteral("Hall audio"), {}, {{1, QStringLiteral("Stage")}}, {}}));
    w.ui().setCaptureHook([](SceneCaptureDialog& d) {
        ASSERT_EQ(d.lstUnits()->topLevelItemCount(), 2);
        EXPECT_TRUE(d.lstUnits()->topLevelItem(1)->text(0).startsWith("Hall audio (ID 02)"));
        for (int o = 5; o <= 8; ++o) {
            d.PortItem(2, true, o)->setCheckState(0, Qt::Unchecked);
        }
        d.PortItem(2, false, 1)->setCheckState(0, Qt::Unchecked);
        d.accept();
    });
    Scene kept;
    w.ui().setDialogHook([&](SceneDialog& d) {
        const std::vector<SceneRow> rows = SceneRows::Of(d.scene());
        // Unit 1 whole; unit 2 outputs 1-4, and the EDID of inputs 2-8.
        const auto count = [&](uint8_t id, bool edid) {
            return std::count_if(rows.begin(), rows.end(), [&](const SceneRow& r) {
                return r.id == id && (r.setting == Setting::Edid) == edid;
            });
        };
        EXPECT_EQ(count(1, false), 8 * 8);
        EXPECT_EQ(count(1, true), 8);
        EXPECT_EQ(count(2, false), 4 * 8);
        EXPECT_EQ(count(2, true), 7);
        EXPECT_EQ(d.tblSettings()->rowCount(), static_cast<int>(rows.size()));
        const auto found = std::find(rows.begin(), rows.end(), SceneRow{1, Setting::Volumn, 3, 40});
        ASSERT_NE(found, rows.end());
        const int volumeRow = static_cast<int>(found - rows.begin());
        const auto stageRow =
            std::find_if(rows.begin(), rows.end(), [](const SceneRow& r) { return r.id == 2; });
        EXPECT_EQ(d.tblSettings()->item(static_cast<int>(stageRow - rows.begin()), 1)->text(),
                  "Output 1 (Stage)");

        // A shortcut the window has already is refused, naming its holder.
        d.keyShortcut()->setKeySequence(QKeySequence(Qt::CTRL | Qt::Key_Z));
        EXPECT_FALSE(d.Save());
        EXPECT_TRUE(d.lblProblem()->text().contains("Undo"))
            << d.lblProblem()->text().toStdString();
        d.keyShortcut()->setKeySequence(QKeySequence(Qt::CTRL | Qt::Key_1));

        auto* volume = qobject_cast<QSpinBox*>(d.tblSettings()->cellWidget(volumeRow, 3));
        ASSERT_NE(volume, nullptr);
        EXPECT_EQ(volume->maximum(), 100);
        volume->setValue(55);
        d.tblSettings()->selectRow(0);
        d.RemoveSelectedRows();
        EXPECT_EQ(d.tblSettings()->rowCount(), static_cast<int>(rows.size()) - 1);
        kept = d.scene();
        EXPECT_TRUE(d.Save());
    });
    w.ui().NewScene();
    ASSERT_TRUE(w.Settle());
    ASSERT_EQ(kept.units.size(), 2u);
    EXPECT_EQ(kept.units[0].values.outputs.at(3).volume, 55);
    EXPECT_FALSE(kept.units[0].values.outputs.at(1).audioInput.has_value()); // removed

    // What the file holds, read by another program, is what the dialog showed.
    SceneStore other(w.ui().store().fileName());
    other.Load();
    ASSERT_NE(other.Find(kept.name), nullptr);
    EXPECT_EQ(*other.Find(kept.name), kept);
    QAction* entry = w.ui().SceneAction(kept.name);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_1));

    // Edited: renamed over another scene is refused; kept under its own name is taken.
    Scene night = kept;
    night.name = QStringLiteral("Night");
    night.shortcut.clear();
    ASSERT_TRUE(w.ui().store().Save(night));
    int edited = 0;
    w.ui().setDialogHook([&](SceneDialog& d) {
        ++edited;
        d.txtName()->setText(QStringLiteral("Night"));
        EXPECT_FALSE(d.Save());
        EXPECT_TRUE(d.lblProblem()->text().contains("kept already"));
        d.txtName()->setText(kept.name);
        EXPECT_TRUE(d.Save());
    });
    w.ui().Edit(kept.name);
    EXPECT_EQ(edited, 1);

    // Who holds which keys, as the editor refuses them; a scene's own keys are its own.
    const struct {
        QKeySequence keys;
        const char* scene;
        const char* holder;
    } holders[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_1), "Night", "scene “Scene 1”"},
        {QKeySequence(Qt::CTRL | Qt::Key_1), "Scene 1", ""},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), "Night", "Redo"},
        {QKeySequence(Qt::ALT | Qt::Key_C), "Night", "Scan"},   // the button's letter
        {QKeySequence(Qt::ALT | Qt::Key_N), "Night", "Scenes"}, // the menu's letter
        {QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V), "Night", "the log window"},
        {QKeySequence(Qt::CTRL | Qt::Key_C), "Night", "the keys of text boxes and the grid"},
        {QKeySequence(Qt::CTRL | Qt::Key_Home), "Night", "the pages' own keys"},
        {QKeySequence(Qt::Key_N), "Night", "the pages' own keys"},
        {QKeySequence(Qt::CTRL | Qt::Key_2), "Night", ""},
        {QKeySequence(Qt::Key_F5), "Night", ""},
    };
    for (const auto& h : holders) {
        const QString holder = w.ui().ShortcutHolder(h.keys, QString::fromUtf8(h.scene));
        EXPECT_TRUE(*h.holder == 0 ? holder.isEmpty()
                                   : holder.startsWith(QString::fromUtf8(h.holder)))
            << h.keys.toString().toStdString() << ": " << holder.toStdString();
    }
}

TEST(SceneUi, ItsShortcutRecallsUndoTakesTheWholeRecallBackAndCancelEndsOne) {
    SceneWindow w;
    const Scene scene = w.Lecture();
    const Outputs before[] = {w.Audio(1), w.Audio(2)};

    frmMain* form = w.rig.program().mainWindow();
    QApplication::setActiveWindow(form);
    QTest::keyClick(form, Qt::Key_1, Qt::ControlModifier);
    ASSERT_TRUE(w.ui().job().Running());
    ASSERT_NE(w.ui().progress(), nullptr);
    ASSERT_TRUE(w.Settle());
    EXPECT_EQ(w.Audio(1), SceneWindow::Lectured());
    EXPECT_EQ(w.Audio(2), SceneWindow::Lectured());
    // A complete recall is told on the status line only.
    EXPECT_TRUE(w.rig.messages.texts.isEmpty()) << w.rig.messages.texts.join('\n').toStdString();
    EXPECT_EQ(w.ui().progress(), nullptr);
    EXPECT_TRUE(form->actUndo()->isEnabled());

    form->actUndo()->trigger();
    ASSERT_TRUE(w.ui().job().Running());
    ASSERT_TRUE(w.Settle());
    EXPECT_EQ(w.Audio(1), before[0]);
    EXPECT_EQ(w.Audio(2), before[1]);
    EXPECT_TRUE(w.rig.messages.texts.isEmpty()) << w.rig.messages.texts.join('\n').toStdString();

    // Cancel in the progress dialog, once the first unit is being set, ends the
    // recall with a report. (What the units are left with is the job's test.)
    w.ui().Recall(scene.name);
    QProgressDialog* progress = w.ui().progress();
    ASSERT_NE(progress, nullptr);
    ASSERT_TRUE(w.rig.time.advanceUntil(
        [&] { return progress->value() > 0 && progress->value() < 100; }, 60s));
    auto* cancel = progress->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_TRUE(w.Settle());
    ASSERT_EQ(w.rig.messages.texts.size(), 1);
    EXPECT_TRUE(w.rig.messages.texts.front().contains("cancelled"))
        << w.rig.messages.texts.front().toStdString();
}

// Locked, the staff recall the scenes the technician allows them, whole,
// even where a scene reaches beyond their outputs; other scenes, and making
// or editing scenes, are refused with the reason and send nothing.
TEST(SceneUi, LockedTheStaffRecallTheirScenesWholeAndNoOthers) {
    SceneWindow w;
    const Scene lecture = w.Lecture();
    Scene night = lecture; // the same settings: a recall of it would show
    night.name = QStringLiteral("Night");
    night.shortcut = QStringLiteral("Ctrl+2");
    ASSERT_TRUE(w.ui().store().Save(night)) << w.ui().store().problem().toStdString();
    WindowLock& lock = *w.rig.program().lock();
    RolesConfig config;
    config.password = service::PasswordDigest::Make(QStringLiteral("pw"), 1000);
    config.staff.outputs[1] = {1, 2};
    config.staff.scenes = {lecture.name};
    QString error;
    ASSERT_TRUE(lock.Store(config, error)) << error.toStdString();
    ASSERT_TRUE(lock.Lock());
    QApplication::processEvents();

    EXPECT_TRUE(w.ui().SceneAction(lecture.name)->isEnabled());
    EXPECT_FALSE(w.ui().SceneAction(night.name)->isEnabled());
    EXPECT_EQ(w.ui().SceneAction(night.name)->toolTip(), lock.MayRecallScene(night.name).reason);
    EXPECT_FALSE(w.ui().actNew()->isEnabled());
    EXPECT_EQ(w.ui().actNew()->toolTip(), "Locked: only the technician may make or edit scenes");

    const Outputs before = w.Audio(2);
    w.ui().Recall(night.name); // as its shortcut would, were it enabled
    EXPECT_FALSE(w.ui().job().Running());
    EXPECT_TRUE(w.core().activity.Text().startsWith("Scene “Night” was not recalled: Locked"));
    w.ui().NewScene();
    EXPECT_EQ(w.core().activity.Text(), "Locked: only the technician may make or edit scenes");
    ASSERT_TRUE(w.Settle());
    EXPECT_EQ(w.Audio(2), before);

    w.ui().Recall(lecture.name);
    ASSERT_TRUE(w.ui().job().Running());
    ASSERT_TRUE(w.Settle());
    EXPECT_EQ(w.Audio(1), SceneWindow::Lectured());
    EXPECT_EQ(w.Audio(2), SceneWindow::Lectured());
    EXPECT_TRUE(w.rig.messages.texts.isEmpty()) << w.rig.messages.texts.join('\n').toStdString();
}
