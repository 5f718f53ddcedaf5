// What the switch page shows: layout, cell and plug pictures, hover, routes.
#include "SwitchRig.h"
#include "app/CrosspointCell.h"
#include "app/HoverFrame.h"
#include "app/SwitchGrid.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

QPushButton* Input(SwitchRig& r, int c) {
    return r.Find<QPushButton>(QStringLiteral("chkSwitchInput_%1").arg(c), &r.sw);
}
QPushButton* Output(SwitchRig& r, int row) {
    return r.Find<QPushButton>(QStringLiteral("chkSwitchOutput_%1").arg(row), &r.sw);
}
QScrollBar* Bar(SwitchRig& r, const char* name) {
    return r.Find<QScrollBar>(QLatin1String(name), &r.sw);
}
CrosspointCell* Cell(SwitchRig& r, int k) {
    return r.sw.grid().cell(k);
}

} // namespace

TEST(SwitchView, SmallUnitDisablesWhatLiesOutsideItAndALargerOneScrolls) {
    SwitchRig r;
    r.ShowUnit(1, 4, 4);
    EXPECT_FALSE(Bar(r, "scoSwitchInput")->isEnabled());
    EXPECT_FALSE(Bar(r, "scoSwitchOutput")->isEnabled());
    for (int k = 0; k < 64; ++k) {
        const bool inside = grid::Row(k) < 4 && grid::Column(k) < 4;
        EXPECT_EQ(Cell(r, k)->isEnabled(), inside) << k;
        EXPECT_EQ(r.sw.CellKey(k), inside ? "OffAOffV_UP" : "NoANoV_UP") << k;
        if (k < 8) {
            EXPECT_EQ(Input(r, k)->isEnabled(), k < 4) << k;
            EXPECT_EQ(Output(r, k)->isEnabled(), k < 4) << k;
        }
    }
    EXPECT_EQ(Input(r, 4)->text(), "005");
    EXPECT_FALSE(r.core.model.SwitchOutputSelect[5].blEnabled);
    // Disabling the view greys every cell out and hides the frame.
    r.hub.Enable_QRD(false);
    EXPECT_EQ(r.sw.CellKey(0), "NoANoV_UP");
    EXPECT_FALSE(r.sw.grid().frame()->isVisible());
    EXPECT_FALSE(r.Find<QCheckBox>("chkSelAllSwitchOutput", &r.sw)->isEnabled());
    EXPECT_FALSE(r.Find<QPushButton>("cmdDisconnect", &r.sw)->isEnabled());

    r.core.model.AudioOutputs[1].iInputPort = 9; // as the status read left it
    r.ShowUnit(2, 16, 8);
    QScrollBar* bar = Bar(r, "scoSwitchInput");
    ASSERT_TRUE(bar->isEnabled());
    EXPECT_EQ(bar->maximum(), 8);
    EXPECT_FALSE(Bar(r, "scoSwitchOutput")->isEnabled());
    EXPECT_EQ(r.sw.CellKey(0), "OffAOffV_UP");
    bar->setValue(8);
    EXPECT_EQ(Input(r, 7)->text(), "016");
    EXPECT_EQ(r.sw.CellKey(0), "OnAOffV_UP");
    EXPECT_EQ(Cell(r, 0)->accessibleName(), "input 9, output 1");
}

TEST(SwitchView, WheelOverTheGridMovesTheWindowOfALargeUnit) {
    SwitchRig r;
    r.ShowUnit(1, 64, 64);
    r.sw.resize(r.sw.sizeHint());
    r.sw.show();
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
    EXPECT_EQ(Input(r, 0)->text(), grid::PortCaption(3 * lines + 1));
    // A unit that fits the window leaves the wheel to the page.
    r.ShowUnit(2, 8, 8);
    EXPECT_FALSE(wheel({0, -120}, Qt::NoModifier));
}

namespace {

// Where the keyboard focus of the switch page is, in the operator's words.
std::string FocusOf(SwitchRig& r) {
    QWidget* w = r.sw.focusWidget();
    const QString name = w ? w->objectName() : QString();
    if (name.startsWith("chkSwitchInput_")) {
        return "input button " + static_cast<QPushButton*>(w)->text().toStdString();
    }
    if (name.startsWith("chkSwitchOutput_")) {
        return "output box " + static_cast<QPushButton*>(w)->text().toStdString();
    }
    return w ? w->accessibleName().toStdString() : "nothing"; // a cell: "input 9, output 1"
}

} // namespace

TEST(SwitchView, KeyboardReachesEveryPortOfALargeUnit) {
    SwitchRig r;
    r.ShowUnit(1, 64, 64);
    r.sw.show();
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
    };
    for (const Step& s : steps) {
        for (int i = 0; i < s.times; ++i) {
            QTest::keyClick(r.sw.focusWidget(), s.key, s.mods);
        }
        EXPECT_EQ(FocusOf(r), s.focus) << QTest::toString(s.key) << " x" << s.times;
    }
    EXPECT_EQ(Bar(r, "scoSwitchInput")->value(), 0);
    EXPECT_EQ(Bar(r, "scoSwitchOutput")->value(), 49);
    // Space on the cell in focus routes it, as a click does.
    Cell(r, 8 + 3)->setFocus();
    r.Forget();
    QTest::keyClick(Cell(r, 8 + 3), Qt::Key_Space);
    EXPECT_EQ(r.Requests(), (std::vector<std::string>{"02:51:4", "08:51:0", "01:51:4", "07:51:0"}));

    // Tab goes through the window in reading order; the scroll bars take focus.
    std::vector<QWidget*> chain;
    for (QWidget* w = Input(r, 0); chain.size() < 21; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus) {
            chain.push_back(w);
        }
    }
    const std::vector<QWidget*> expected = {Input(r, 0),
                                            Input(r, 1),
                                            Input(r, 2),
                                            Input(r, 3),
                                            Input(r, 4),
                                            Input(r, 5),
                                            Input(r, 6),
                                            Input(r, 7),
                                            Bar(r, "scoSwitchInput"),
                                            Bar(r, "scoSwitchOutput"),
                                            Output(r, 0),
                                            Cell(r, 0)};
    EXPECT_EQ(std::vector<QWidget*>(chain.begin(), chain.begin() + 12), expected);
    EXPECT_EQ(chain[18], Cell(r, 7));
    EXPECT_EQ(chain[19], Output(r, 1));
    EXPECT_EQ(chain[20], Cell(r, 8));
}

TEST(SwitchView, RoutesShowInTheirCellsAndBesideEachOutput) {
    SwitchRig r;
    r.ShowUnit(1, 64, 64);
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
    auto* label = r.Find<QLabel>("lblOutputSource_0", &r.sw);
    EXPECT_EQ(label->toolTip(), "Output 40: audio from input 50, video from input 50");
    EXPECT_EQ(r.sw.CellKey(0), "OnAOnV_UP");

    // A reply moving a route redraws the old and the new cell.
    SwitchRig q;
    q.ShowUnit(1, 8, 8);
    for (const uint8_t input : {1, 4, 0}) {
        q.core.link.senders.CmdGetVideoSwitch(1, 0, 0, 1);
        q.Reply({2, input});
        EXPECT_EQ(q.sw.CellKey(1 * 8 + 0), input == 1 ? "OffAOnV_UP" : "OffAOffV_UP");
        EXPECT_EQ(q.sw.CellKey(1 * 8 + 3), input == 4 ? "OffAOnV_UP" : "OffAOffV_UP");
    }
    EXPECT_EQ(q.core.model.VideoOutputs[2].iInputPort, 0);

    // A unit that switches audio only shows and names no video; a disabled
    // view names nothing.
    SwitchRig::Caps caps;
    caps.video = false;
    q.ShowUnit(3, 8, 8, caps);
    q.core.model.SetAudioRoute(2, 5, q.hub);
    EXPECT_EQ(q.sw.CellKey(1 * 8 + 4), "OnANoV_UP");
    for (int k = 0; k < 64; ++k) {
        EXPECT_TRUE(q.sw.CellKey(k).endsWith("NoV_UP")) << k;
    }
    EXPECT_EQ(q.sw.OutputSourceText(1), "A5");
    EXPECT_TRUE(q.Find<QCheckBox>("chkSelSwitchAudio", &q.sw)->isEnabled());
    EXPECT_FALSE(q.Find<QCheckBox>("chkSelSwitchVideo", &q.sw)->isEnabled());
    q.hub.Enable_QRD(false);
    EXPECT_EQ(q.sw.OutputSourceText(1), "");
}

TEST(SwitchView, HoverLightsTheBarsAndBlinksTheFrame) {
    SwitchRig r;
    r.ShowUnit(1, 8, 8);
    r.sw.show();
    const int k = 9; // column 1, row 1
    const SwitchGrid& g = r.sw.grid();
    const auto move = [&](int x) {
        QMouseEvent e(QEvent::MouseMove, QPointF(x, 5), Cell(r, k)->mapToGlobal(QPointF(x, 5)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Cell(r, k), &e);
    };
    const QColor lit(255, 0, 255), dark(128, 0, 0);
    move(5);
    for (int cell = 0; cell < 64; ++cell) {
        const bool right = grid::Row(cell) == 1 && grid::Column(cell) >= 1;
        const bool below = grid::Column(cell) == 1 && grid::Row(cell) >= 1;
        EXPECT_EQ(g.rightBarColor(cell), right ? lit : dark) << cell;
        EXPECT_EQ(g.belowBarColor(cell), below ? lit : dark) << cell;
    }
    const QImage drawn = const_cast<SwitchGrid&>(g).grab().toImage();
    EXPECT_EQ(QColor(drawn.pixel(grid::RightBarRect(12).center())), lit);
    EXPECT_EQ(QColor(drawn.pixel(grid::RightBarRect(20).center())), dark);
    EXPECT_EQ(g.frame()->geometry(), grid::FrameRect(k));
    ASSERT_TRUE(g.frame()->isVisible() && r.sw.timSelected().isActive());
    r.clock.advance(100ms);
    const Qt::PenStyle first = g.frame()->borderStyle();
    r.clock.advance(100ms);
    EXPECT_NE(g.frame()->borderStyle(), first);
    move(30); // outside the cell's rectangle: the hover ends
    EXPECT_FALSE(g.frame()->isVisible() || r.sw.timSelected().isActive());
    for (int cell = 0; cell < 64; ++cell) {
        EXPECT_EQ(g.rightBarColor(cell), dark);
        EXPECT_EQ(g.belowBarColor(cell), dark);
    }
}

TEST(SwitchView, PlugIconsTellPluggedUnpluggedAndUnknown) {
    SwitchRig r;
    r.core.model.VideoInputs[1].lPlugStatus = 1;
    r.core.model.AudioInputPlugs[1] = 0;
    r.core.model.VideoOutputs[2].lPlugStatus = 7; // no plug state
    r.core.model.AudioOutputs[2].lPlugStatus = 1;
    r.ShowUnit(1, 8, 8);
    EXPECT_EQ(r.sw.InputPlugKey(SignalKind::Video, 0), "VideoInPlugOn");
    EXPECT_EQ(r.sw.InputPlugKey(SignalKind::Audio, 0), "AudioInUnplugOn");
    EXPECT_EQ(r.sw.OutputPlugKey(SignalKind::Video, 1), "VideoOutUnknowPlugOn");
    EXPECT_EQ(r.sw.OutputPlugKey(SignalKind::Audio, 1), "AudioOutPlugOn");
    auto* plug = r.Find<QWidget>("imgVideoInPlug_2", &r.sw);
    EXPECT_EQ(plug->accessibleDescription(), "unplugged");
    // A unit without plug detection: every icon is unknown, whatever is stored.
    SwitchRig::Caps caps;
    caps.plugs = false;
    r.ShowUnit(2, 8, 8, caps);
    EXPECT_EQ(r.sw.InputPlugKey(SignalKind::Video, 0), "VideoInUnknowPlugOn");
}

TEST(SwitchView, EveryControlIsFoundByCaptionOrNameAndACellPressedByItRoutes) {
    SwitchRig r;
    r.ShowUnit(1, 8, 8);
    QStringList names;
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
        names << node->text(QAccessible::Name);
        for (int i = 0; i < node->childCount(); ++i) {
            walk(node->child(i));
        }
    };
    walk(QAccessible::queryAccessibleInterface(&r.sw));
    for (const char* name :
         {"Audio", "Video", "Select all", "Disconnect", "001", "008", "input 3, output 5",
          "output 2 audio plug", "input 8 video plug", "input scroll", "output scroll"}) {
        EXPECT_TRUE(names.contains(QLatin1String(name))) << name;
    }
    QAccessibleInterface* cell = QAccessible::queryAccessibleInterface(Cell(r, 4 * 8 + 2));
    ASSERT_TRUE(cell->actionInterface());
    EXPECT_EQ(cell->role(), QAccessible::Button);
    r.Requests();
    cell->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    // The press is animated: wait for the click it ends with.
    std::vector<std::string> sent;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const auto more = r.Requests();
            sent.insert(sent.end(), more.begin(), more.end());
            return sent.size() >= 4;
        },
        5000));
    EXPECT_EQ(sent, (std::vector<std::string>{"02:5:3", "08:5:0", "01:5:3", "07:5:0"}));
}
