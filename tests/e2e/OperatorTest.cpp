// The operator's hands on the real main window, wired to the real port layer,
// against quadrel-sim on a pseudo-terminal: what is clicked goes over the
// line, the emulated unit carries it out, and the window shows its answers.
// The grid, the pages' sliders, EDID choices and the unit list's keys are
// the page tests' (virtual time) and the hands' tests (a real display).
#include "ProgramOnSim.h"
#include "app/QtMessageBoxes.h"
#include "app/basMain.h"
#include "app/frmMain.h"
#include "control/PageInput.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>

using namespace quadrel;
using namespace std::chrono_literals;
using namespace quadrel::test;

namespace {

struct NoMessages : RecordingMessages {
    // The program's own question box, for the test to answer on screen.
    Answer Ask(QWidget* parent, const Question& question) override {
        return QtMessageBoxes().Ask(parent, question);
    }
};

class Operator : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim_.WriteSettings(170, 19200));
        ASSERT_TRUE(
            sim_.Start(170, {"--baud", "19200", "--unit", "id=0,inputs=16,outputs=8,name=Stage",
                             "--unit", "id=1,inputs=8,outputs=8,name=Hall"}));
        rig_ = std::make_unique<ProgramOnSim>(sim_, messages_);
        program_ = &**rig_;
        core_ = &program_->core();
        ASSERT_TRUE(rig_->StartAndStopScan()) << sim_.trace().toStdString();
    }
    void TearDown() override {
        program_ = nullptr;
        rig_.reset();
        sim_.Stop();
    }

    template <typename W> W* Find(const QString& name) {
        W* w = program_->mainWindow()->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    // Waits until the line is idle, so every reply has been drawn.
    bool Settled() {
        return WaitFor(
            [&] {
                return !core_->link.queue.IsWaitingForAnswer() &&
                       core_->link.queue.SendQueue().empty() && !core_->status.IsBusy();
            },
            10s);
    }

    // The unit's live state as its answers to the status queries show it,
    // once one more poll has gone by (a kind it leaves out while its redraw
    // is pending was just answered to the change's own query).
    std::map<int, QString> UnitState() {
        const QString last = SimProcess::Frame(0, 0x1F, 0, 0);
        const auto polls = sim_.Requests().count(last);
        EXPECT_TRUE(WaitFor([&] { return sim_.Requests().count(last) > polls; }, 10s));
        EXPECT_TRUE(Settled());
        std::map<int, QString> out;
        for (uint8_t code : {0x07, 0x08, 0x11, 0x13, 0x15, 0x17, 0x19, 0x1D, 0x1F, 0x21}) {
            out[code] = sim_.AnswerTo(SimProcess::Frame(0, code, 0, 0));
        }
        return out;
    }
    bool Routed(int output, int input) {
        return WaitFor(
                   [&] {
                       return core_->model.AudioOutputs[output].iInputPort == input &&
                              core_->model.VideoOutputs[output].iInputPort == input;
                   },
                   10s) &&
               Settled();
    }

    SimProcess sim_;
    NoMessages messages_;
    std::unique_ptr<ProgramOnSim> rig_;
    basMain* program_ = nullptr;
    QuadrelCore* core_ = nullptr;
};

} // namespace

TEST_F(Operator, PresetLoadItsUndoAndRedoFromTheKeyboard) {
    frmMain* window = program_->mainWindow();
    ASSERT_NO_FATAL_FAILURE(Activate(window));
    window->TabStrip1()->setCurrentIndex(0); // the Switch page
    // Output 2 to input 3: the live state now differs from preset #1.
    Click(Find<QPushButton>("chkSwitchOutput_1"));
    Click(Find<QPushButton>("chkSwitchInput_2"));
    ASSERT_TRUE(Routed(2, 3));
    // The Edit menu names the step that Undo would send.
    EXPECT_TRUE(window->actUndo()->isEnabled());
    EXPECT_EQ(window->actUndo()->text(),
              "&Undo: Output 2: audio input 3 \u2192 2, video input 3 \u2192 2\tCtrl+Z");
    EXPECT_FALSE(window->actRedo()->isEnabled());
    const std::map<int, QString> before = UnitState();

    // Load asks first; the question box is answered on screen.
    QString text;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, window, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        text = box->text() + "\n" + box->informativeText();
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == "&Load") {
                b->click();
            }
        }
    });
    answer.start();
    Click(Find<QPushButton>("cmdLoad"));
    answer.stop();
    EXPECT_EQ(text, "Load memory location #1 into unit 00?\nThese will change:\n"
                    "Output 2: audio input 3 → 2, video input 3 → 2");
    ASSERT_TRUE(Routed(2, 2));
    EXPECT_EQ(core_->activity.Text(), "Loaded memory location #1 into unit 00");

    // Ctrl+Z puts the unit back as it was; Ctrl+Shift+Z loads again. The
    // offscreen platform leaves no window active after the box.
    ASSERT_NO_FATAL_FAILURE(Activate(window));
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(Routed(2, 3));
    EXPECT_TRUE(sim_.Requests().contains(SimProcess::Frame(0, 0x02, 2, 3)));
    EXPECT_EQ(UnitState(), before);
    EXPECT_TRUE(messages_.texts.isEmpty());
    EXPECT_EQ(core_->activity.Text(),
              "Undone: Output 2: audio input 2 \u2192 3, video input 2 \u2192 3");
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(Routed(2, 2));
    EXPECT_TRUE(core_->activity.Text().startsWith("Done again: Output 2"));
}
