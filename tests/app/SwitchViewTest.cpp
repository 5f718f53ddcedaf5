// The switch page: pictures, hover, routes, and the requests the operator's moves send.
#include "PagesRig.h"
#include "app/CrosspointCell.h"
#include "app/HoverFrame.h"
#include "app/SwitchGrid.h"
#include "control/PageInput.h"

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

using Frames = std::vector<std::string>;
using Ports = std::vector<int>;

QScrollBar* Bar(PagesRig& r, const char* name) {
    return r.Find<QScrollBar>(QLatin1String(name));
}
CrosspointCell* Cell(PagesRig& r, int k) {
    return r.sw.grid().cell(k);
}
// The outputs selected in the model; each one's box must agree.
Ports Selected(PagesRig& r) {
    Ports out;
    for (int o = 1; o <= kMaxPort; ++o) {
        if (r.core.model.SwitchOutputSelect[o].blSelected) {
            out.push_back(o);
        }
        if (o <= 8) {
            EXPECT_EQ(r.Output(o - 1)->isChecked(), r.core.model.SwitchOutputSelect[o].blSelected);
        }
    }
    return out;
}

// Where the keyboard focus of the switch page is, in the operator's words.
std::string FocusOf(PagesRig& r) {
    QWidget* w = r.sw.focusWidget();
    const QString name = w ? w->objectName() : QString();
    if (name.startsWith("chkSwitchInput_")) {
        return "input button " +
               static_cast<QPushButton*>(w)->text().section('\n', 0, 0).toStdString();
    }
    if (name.startsWith("chkSwitchOutput_")) {
        return "output box " + static_cast<QPushButton*>(w)->text().toStdString();
    }
    return w ? w->accessibleName().toStdString() : "nothing"; // a cell: "input 9, output 1"
}

} // namespace

TEST(SwitchView, CellsPlugsHoverRoutesAndScrollFollowTheUnit) {
    PagesRig r;
    r.core.model.VideoInputs[1].lPlugStatus = 1;
    r.core.model.AudioInputPlugs[1] = 0;
    r.core.model.VideoOutputs[2].lPlugStatus = 7; // no plug state
    r.core.model.AudioOutputs[2].lPlugStatus = 1;
    r.Show(1, 4, 4);
    EXPECT_FALSE(Bar(r, "scoSwitchInput")->isEnabled());
    EXPECT_FALSE(Bar(r, "scoSwitchOutput")->isEnabled());
    for (int k = 0; k < 64; ++k) {
        const bool inside = grid::Row(k) < 4 && grid::Column(k) < 4;
        EXPECT_EQ(Cell(r, k)->isEnabled(), inside) << k;
        EXPECT_EQ(r.sw.CellKey(k), inside ? "OffAOffV_UP" : "NoANoV_UP") << k;
        if (k < 8) {
            EXPECT_EQ(r.Input(k)->isEnabled(), k < 4) << k;
            EXPECT_EQ(r.Output(k)->isEnabled(), k < 4) << k;
        }
    }
    EXPECT_FALSE(r.core.model.SwitchOutputSelect[5].blEnabled);
    EXPECT_EQ(r.sw.InputPlugKey(SignalKind::Video, 0), "VideoInPlugOn");
    EXPECT_EQ(r.sw.InputPlugKey(SignalKind::Audio, 0), "AudioInUnplugOn");
    EXPECT_EQ(r.sw.OutputPlugKey(SignalKind::Video, 1), "VideoOutUnknowPlugOn");
    EXPECT_EQ(r.sw.OutputPlugKey(SignalKind::Audio, 1), "AudioOutPlugOn");
    EXPECT_EQ(r.Find<QWidget>("imgVideoInPlug_2")->accessibleDescription(), "unplugged");

    // Without plug detection every icon is unknown, whatever is stored.
    UnitCaps caps;
    caps.plugs = false;
    r.Show(2, 8, 8, caps);
    EXPECT_EQ(r.sw.InputPlugKey(SignalKind::Video, 0), "VideoInUnknowPlugOn");
    r.sw.show();
    const int k = 9; // column 1, row 1
    const SwitchGrid& g = r.sw.grid();
    const auto move = [&](int x) {
        QMouseEvent e(QEvent::MouseMove, QPointF(x, 5), Cell(r, k)->mapToGlobal(QPointF(x, 5)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Cell(r, k), &e);
    };
    move(5);
    EXPECT_EQ(g.frame()->geometry(), grid::FrameRect(k));
    ASSERT_TRUE(g.frame()->isVisible() && r.sw.timSelected().isActive());
    r.clock.advance(100ms);
    const Qt::PenStyle first = g.frame()->borderStyle();
    r.clock.advance(100ms);
    EXPECT_NE(g.frame()->borderStyle(), first);
    move(30); // outside the cell's rectangle: the hover ends
    EXPECT_FALSE(g.frame()->isVisible() || r.sw.timSelected().isActive());
    // A reply moving a route redraws the old and the new cell.
    for (const uint8_t input : {1, 4, 0}) {
        r.core.link.senders.CmdGetVideoSwitch(2, 0, 0, 1);
        r.Reply({2, input});
        EXPECT_EQ(r.sw.CellKey(1 * 8 + 0), input == 1 ? "OffAOnV_UP" : "OffAOffV_UP");
        EXPECT_EQ(r.sw.CellKey(1 * 8 + 3), input == 4 ? "OffAOnV_UP" : "OffAOffV_UP");
    }
    EXPECT_EQ(r.core.model.VideoOutputs[2].iInputPort, 0);

    r.Show(3, 64, 64);
    r.core.model.SetVideoRoute(1, 12, r.hub);
    EXPECT_EQ(r.sw.OutputSourceText(0), QString("A") + QChar(0x2013) + " V12");
    // Scrolled to input 50, output 40, a route reply shows at once.
    Bar(r, "scoSwitchInput")->setValue(49);
    Bar(r, "scoSwitchOutput")->setValue(39);
    r.core.model.SetAudioRoute(40, 50, r.hub);
    r.core.model.SetVideoRoute(40, 50, r.hub);
    r.core.model.SetAudioRoute(47, 3, r.hub); // input outside the window
    EXPECT_EQ(r.sw.OutputSourceText(0), "A50 V50");
    EXPECT_EQ(r.sw.OutputSourceText(7), QString("A3 V") + QChar(0x2013));
    EXPECT_EQ(r.sw.CellKey(0), "OnAOnV_UP");

    r.core.model.AudioOutputs[1].iInputPort = 9; // as the status read left it
    r.Show(4, 16, 8);
    QScrollBar* bar = Bar(r, "scoSwitchInput");
    ASSERT_TRUE(bar->isEnabled());
    EXPECT_EQ(bar->maximum(), 8);
    EXPECT_FALSE(Bar(r, "scoSwitchOutput")->isEnabled());
    EXPECT_EQ(r.sw.CellKey(0), "OffAOffV_UP");
    bar->setValue(8);
    EXPECT_EQ(r.sw.CellKey(0), "OnAOffV_UP");

    caps.plugs = true;
    caps.video = false;
    r.Show(5, 8, 8, caps);
    r.core.model.SetAudioRoute(2, 5, r.hub);
    EXPECT_EQ(r.sw.CellKey(1 * 8 + 4), "OnANoV_UP");
    for (int c = 0; c < 64; ++c) {
        EXPECT_TRUE(r.sw.CellKey(c).endsWith("NoV_UP")) << c;
    }
    EXPECT_EQ(r.sw.OutputSourceText(1), "A5");
    // The same source drawn again after its input got a name shows the name.
    UnitNames names;
    names.inputs[5] = QStringLiteral("Desk");
    r.sw.ShowNames(names);
    r.core.model.SetAudioRoute(2, 5, r.hub);
    EXPECT_EQ(r.sw.OutputSourceText(1), "A Desk");
    EXPECT_TRUE(r.Find<QCheckBox>("chkSelSwitchAudio")->isEnabled());
    EXPECT_FALSE(r.Find<QCheckBox>("chkSelSwitchVideo")->isEnabled());
    r.hub.Enable_QRD(false); // a disabled view hides the frame and disables the controls
    EXPECT_FALSE(r.sw.grid().frame()->isVisible());
    EXPECT_FALSE(r.Find<QCheckBox>("chkSelAllSwitchOutput")->isEnabled());
    EXPECT_FALSE(r.Find<QPushButton>("cmdDisconnect")->isEnabled());
}

TEST(SwitchView, WheelAndKeyboardReachEveryPortOfALargeUnit) {
    PagesRig r;
    r.Show(1, 64, 64);
    r.sw.resize(r.sw.sizeHint());
    r.sw.show();
    QApplication::processEvents(); // the grid fitted to the page: 8 by 8
    ASSERT_EQ(r.sw.shape(), grid::Shape{});
    const auto wheel = [&](QPoint delta, Qt::KeyboardModifiers mods) {
        const QPointF at = r.sw.grid().geometry().center();
        QWheelEvent e(at, r.sw.mapToGlobal(at), QPoint(), delta, Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(&r.sw, &e);
        return e.isAccepted();
    };
    const int lines = QApplication::wheelScrollLines();
    EXPECT_TRUE(wheel({0, -120}, Qt::NoModifier)); // one notch down: outputs
    EXPECT_EQ(Bar(r, "scoSwitchOutput")->value(), lines);
    EXPECT_TRUE(wheel({0, -240}, Qt::ShiftModifier)); // across: inputs
    EXPECT_EQ(Bar(r, "scoSwitchInput")->value(), 2 * lines);
    EXPECT_TRUE(wheel({-120, 0}, Qt::NoModifier));
    EXPECT_EQ(Bar(r, "scoSwitchInput")->value(), 3 * lines);
    EXPECT_TRUE(r.Input(0)->text().startsWith(grid::PortCaption(3 * lines + 1) + "\n"));
    Bar(r, "scoSwitchInput")->setValue(0);
    Bar(r, "scoSwitchOutput")->setValue(0);
    Cell(r, 0)->setFocus();
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int times;
        const char* focus;
    };
    const Step steps[] = {
        {Qt::Key_Left, Qt::NoModifier, 2, "output box 001"},
        {Qt::Key_Right, Qt::NoModifier, 1, "input 1, output 1"},
        {Qt::Key_Up, Qt::NoModifier, 2, "input button 001"},
        {Qt::Key_Down, Qt::NoModifier, 1, "input 1, output 1"},
        {Qt::Key_Right, Qt::NoModifier, 8, "input 9, output 1"}, // the window follows
        {Qt::Key_PageDown, Qt::NoModifier, 1, "input 9, output 9"},
        {Qt::Key_PageDown, Qt::ShiftModifier, 1, "input 17, output 9"},
        {Qt::Key_Up, Qt::NoModifier, 1, "input 17, output 8"},
        {Qt::Key_Left, Qt::NoModifier, 1, "input 16, output 8"},
        {Qt::Key_PageDown, Qt::NoModifier, 9, "input 16, output 57"}, // stops at the end
        {Qt::Key_Down, Qt::NoModifier, 8, "input 16, output 64"},
        {Qt::Key_PageDown, Qt::ShiftModifier, 9, "input 63, output 64"},
        {Qt::Key_Right, Qt::NoModifier, 8, "input 64, output 64"},
        {Qt::Key_PageUp, Qt::NoModifier, 1, "input 64, output 56"},
        {Qt::Key_Left, Qt::NoModifier, 64, "output box 056"}, // left of input 1
        {Qt::Key_Down, Qt::NoModifier, 1, "output box 057"},
        {Qt::Key_PageUp, Qt::ShiftModifier, 1, "output box 057"},
        {Qt::Key_End, Qt::NoModifier, 1, "output box 064"},
        {Qt::Key_Home, Qt::NoModifier, 1, "output box 001"},
        {Qt::Key_Right, Qt::NoModifier, 1, "input 1, output 1"},
        {Qt::Key_End, Qt::NoModifier, 1, "input 64, output 1"},
        {Qt::Key_End, Qt::ControlModifier, 1, "input 64, output 64"},
        {Qt::Key_Home, Qt::NoModifier, 1, "input 1, output 64"},
        {Qt::Key_End, Qt::ControlModifier, 1, "input 64, output 64"},
        {Qt::Key_Home, Qt::ControlModifier, 1, "input 1, output 1"},
    };
    for (const Step& s : steps) {
        for (int i = 0; i < s.times; ++i) {
            QTest::keyClick(r.sw.focusWidget(), s.key, s.mods);
        }
        EXPECT_EQ(FocusOf(r), s.focus) << QTest::toString(s.key) << " x" << s.times;
    }
    // Space on the cell in focus routes it, as a click does.
    Bar(r, "scoSwitchOutput")->setValue(49);
    Cell(r, 8 + 3)->setFocus();
    r.Forget();
    QTest::keyClick(Cell(r, 8 + 3), Qt::Key_Space);
    EXPECT_EQ(r.Requests(), (Frames{"02:51:4", "08:51:0", "01:51:4", "07:51:0"}));

    // Tab goes through the window in reading order and stops once in each
    // group, at the widget last focused there; the scroll bars take focus.
    std::vector<QWidget*> chain;
    for (QWidget* w = r.Input(0); chain.size() < 7; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus) {
            chain.push_back(w);
        }
    }
    const std::vector<QWidget*> expected = {r.Input(0),
                                            Bar(r, "scoSwitchInput"),
                                            Bar(r, "scoSwitchOutput"),
                                            r.Output(0),
                                            Cell(r, 8 + 3),
                                            r.Find<QCheckBox>("chkSelSwitchAudio"),
                                            r.Find<QCheckBox>("chkSelSwitchVideo")};
    EXPECT_EQ(chain, expected);

    // A larger page holds more cells; Ctrl and the wheel zoom out, and the
    // zoomed-out page holds more again, the window keeping its place.
    Bar(r, "scoSwitchInput")->setValue(10);
    r.sw.resize(r.sw.sizeHint() + QSize(5 * 32 + 10, 3 * 32 + 10));
    QApplication::processEvents();
    EXPECT_EQ(r.sw.shape(), (grid::Shape{13, 11}));
    EXPECT_TRUE(r.Input(0)->text().startsWith("011"));
    EXPECT_TRUE(wheel({0, -120}, Qt::ControlModifier));
    QApplication::processEvents();
    EXPECT_EQ(r.sw.zoom(), -1);
    EXPECT_GT(r.sw.shape().columns, 13);
    EXPECT_GT(r.sw.shape().rows, 11);
    EXPECT_EQ(r.sw.grid().cell(0)->accessibleName(), "input 11, output 50");
    for (int i = 0; i < 9; ++i) {
        r.sw.Zoom(1); // stops at the largest
    }
    EXPECT_EQ(r.sw.zoom(), 3);
    EXPECT_EQ(r.sw.shape(), grid::Shape{}); // 8 by 8 the least, at any zoom

    // A unit that fits the window leaves the wheel to the page.
    r.Show(2, 8, 8);
    EXPECT_FALSE(wheel({0, -120}, Qt::NoModifier));
}

// Shift, Ctrl, the right button, Space and "Select all" pick outputs; a cell
// routes its pair, an input the ticked outputs of the ticked kinds, Disconnect input 0.
TEST(SwitchRequests, OutputPicksThenCellsInputsAndDisconnectRouteWhatIsTicked) {
    PagesRig r;
    r.Show(1, 8, 8);
    r.sw.show();
    Click(r.Output(1), Qt::ShiftModifier); // no anchor yet: Shift only adds
    Click(r.Output(4), Qt::ShiftModifier);
    EXPECT_EQ(Selected(r), (Ports{2, 5}));
    Click(r.Output(2));
    Click(r.Output(5), Qt::ShiftModifier);
    EXPECT_EQ(Selected(r), (Ports{3, 4, 5, 6}));
    Click(r.Output(3), Qt::ControlModifier);
    EXPECT_EQ(Selected(r), (Ports{3, 5, 6}));
    EXPECT_EQ(r.sw.iLastSwitchOutput(), 4);
    Click(r.Output(0), Qt::ShiftModifier); // from the new anchor: the range alone
    EXPECT_EQ(Selected(r), (Ports{1, 2, 3, 4}));
    Click(r.Output(6), Qt::ControlModifier | Qt::ShiftModifier); // not "exactly Ctrl": alone
    EXPECT_EQ(Selected(r), (Ports{7}));
    Click(r.Output(7), Qt::ControlModifier, Qt::RightButton); // alone as well
    EXPECT_EQ(Selected(r), (Ports{8}));
    // Space, Shift+Space and Ctrl+Space on a box are the same three clicks.
    QTest::keyClick(r.Output(1), Qt::Key_Space);
    QTest::keyClick(r.Output(3), Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(Selected(r), (Ports{2, 3, 4}));
    QTest::keyClick(r.Output(2), Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(Selected(r), (Ports{2, 4}));
    EXPECT_EQ(r.sw.iLastSwitchOutput(), 3);

    QCheckBox* all = r.Find<QCheckBox>("chkSelAllSwitchOutput");
    Click(all);
    EXPECT_EQ(Selected(r), (Ports{1, 2, 3, 4, 5, 6, 7, 8}));
    Click(all);
    EXPECT_TRUE(Selected(r).empty());
    // All picked by hand ticks "Select all"; one taken away unticks it, clearing nothing.
    Click(r.Output(0));
    Click(r.Output(7), Qt::ShiftModifier);
    EXPECT_TRUE(all->isChecked());
    Click(r.Output(3), Qt::ControlModifier);
    EXPECT_FALSE(all->isChecked());
    EXPECT_EQ(Selected(r), (Ports{1, 2, 3, 5, 6, 7, 8}));
    EXPECT_EQ(r.sw.iLastSwitchOutput(), 4);
    // With the unit not answering, "Select all" changes nothing.
    r.core.model.objSelectedUnit->setblConnected(false);
    Click(all);
    EXPECT_EQ(Selected(r), (Ports{1, 2, 3, 5, 6, 7, 8}));
    r.core.model.objSelectedUnit->setblConnected(true);
    Click(all); // the refused click left it ticked: this one clears every output
    EXPECT_TRUE(Selected(r).empty());
    CrosspointCell* cell = r.sw.grid().cell(2 * 8 + 1); // input 2, output 3
    QTest::mousePress(cell, Qt::LeftButton);
    EXPECT_EQ(r.sw.CellKey(2 * 8 + 1), "OffAOffV_DN");
    EXPECT_TRUE(r.Requests().empty());
    QTest::mouseRelease(cell, Qt::LeftButton);
    EXPECT_EQ(r.sw.CellKey(2 * 8 + 1), "OffAOffV_UP");
    EXPECT_EQ(r.Requests(), (Frames{"02:3:2", "08:3:0", "01:3:2", "07:3:0"}));
    EXPECT_FALSE(r.frame.busy);
    // The route shows only when the unit's answer comes back.
    r.Reply({});
    r.Reply({3, 2});
    EXPECT_EQ(r.sw.CellKey(2 * 8 + 1), "OnAOffV_UP");
    r.Reply({});
    r.Reply({3, 2});
    EXPECT_EQ(r.sw.CellKey(2 * 8 + 1), "OnAOnV_UP");
    r.Forget();
    EXPECT_EQ(r.core.history.Undo(), ChangeHistory::Outcome::Sent);
    EXPECT_EQ(r.Requests(), (Frames{"02:3:0", "01:3:0", "08:0:0", "07:0:0"}));
    r.Forget(); // "02:3:0" stays on the line unanswered: the rest queue behind it
    r.frame.busy = false;

    Click(r.Input(2));
    EXPECT_TRUE(r.Requests().empty()); // nothing ticked: nothing at all
    EXPECT_FALSE(r.Input(2)->isChecked());
    EXPECT_FALSE(r.frame.busy);
    Click(r.Output(1));
    Click(r.Output(4), Qt::ControlModifier);
    Click(r.Input(2));
    EXPECT_EQ(r.Requests(), (Frames{"02:2:3", "01:2:3", "02:5:3", "01:5:3", "08:0:0", "07:0:0"}));
    EXPECT_FALSE(r.Input(2)->isChecked());
    EXPECT_TRUE(r.frame.busy);

    UnitCaps caps;
    caps.video = false;
    r.Show(2, 8, 8, caps);
    r.Forget();
    Click(r.Output(0));
    Click(r.Input(1));
    EXPECT_EQ(r.Requests(), (Frames{"02:1:2", "08:0:0"}));
    r.Forget();
    Click(r.Find<QCheckBox>("chkSelSwitchAudio")); // no kind ticked
    Click(r.Input(1));
    EXPECT_TRUE(r.Requests().empty());
    r.core.model.objSelectedUnit->setblConnected(false);
    Click(r.Find<QCheckBox>("chkSelSwitchAudio"));
    Click(r.Input(3));
    EXPECT_TRUE(r.Requests().empty());
    EXPECT_FALSE(r.Input(3)->isChecked());

    // Disconnect routes input 0; only audio sets the busy pointer.
    caps.video = true;
    caps.audio = false;
    r.Show(3, 8, 8, caps);
    r.frame.busy = false;
    Click(r.Output(2));
    Click(r.Find<QPushButton>("cmdDisconnect"));
    EXPECT_EQ(r.Requests(), (Frames{"01:3:0", "07:0:0"}));
    EXPECT_FALSE(r.frame.busy);
    r.Forget();
    Click(r.Find<QCheckBox>("chkSelSwitchVideo")); // video not ticked: nothing
    Click(r.Find<QPushButton>("cmdDisconnect"));
    EXPECT_TRUE(r.Requests().empty());
}
