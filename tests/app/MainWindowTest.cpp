#include "AppRig.h"
#include "DialogAnswers.h"

#include "app/GridGeometry.h"
#include "app/SwitchView.h"
#include "app/WindowFit.h"
#include "app/WindowPlacement.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "control/AudioPage.h"
#include "control/VideoPage.h"
#include "log/frmLog.h"
#include "model/ProgramState.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStyle>
#include <QTabBar>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

using namespace quadrel;
using namespace quadrel::test;
using namespace std::chrono_literals;

namespace {

// A program that started on stored settings: port 5 open at 9600.
class Running : public ::testing::Test {
protected:
    void SetUp() override {
        rig.AddPort(3);
        rig.AddPort(5);
        rig.Store("PORT NUMBER", "5");
        rig.Store("BAUD RATE", "9600");
        rig.program().hooks().ReleaseModel = [this] { ++released; };
        rig.program().hooks().ClearUnitPane = [this] { ++cleared; };
        rig.program().hooks().cmdScan_Click = [this] { ++scanClicks; };
        ASSERT_TRUE(rig.program().Main());
        form = rig.program().mainWindow();
    }
    AppRig rig;
    frmMain* form = nullptr;
    int released = 0;
    int cleared = 0;
    int scanClicks = 0;
};

} // namespace

TEST_F(Running, FrameShowsCaptionTabsButtonsAndTimers) {
    EXPECT_EQ(form->windowTitle(), "Quadrel 2.2.01");
    EXPECT_EQ(frmMain::Caption("Quadrel", 10, 0, 123), "Quadrel 10.0.123");
    ASSERT_EQ(form->TabStrip1()->count(), 3);
    EXPECT_EQ(form->TabStrip1()->tabText(0), "Switch");
    EXPECT_EQ(form->TabStrip1()->tabText(1), "Audio");
    EXPECT_EQ(form->TabStrip1()->tabText(2), "Video");
    EXPECT_EQ(form->cmdExit()->text(), "E&xit");
    EXPECT_EQ(form->cmdScan()->text(), "S&can");
    EXPECT_EQ(form->cmdOptions()->text(), "&Options");
    for (QPushButton* b : {form->cmdExit(), form->cmdScan(), form->cmdOptions()}) {
        EXPECT_EQ(b->parentWidget(), form->Frame1());
    }
    EXPECT_EQ(rig.program().switchView()->iLastSwitchOutput(), -1);

    form->cmdScan()->click();
    EXPECT_EQ(scanClicks, 1);
}

TEST_F(Running, OnlyCtrlAltVOpensTheLogWindow) {
    QTest::keyClick(form, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(form, Qt::Key_V, Qt::AltModifier);
    QTest::keyClick(form, Qt::Key_V);
    EXPECT_EQ(form->logWindow(), nullptr);

    // Seen before the focused control; Shift does not matter.
    QTest::keyClick(form->cmdScan(), Qt::Key_V,
                    Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    ASSERT_NE(form->logWindow(), nullptr);
    EXPECT_TRUE(form->logWindow()->isVisible());
    EXPECT_EQ(form->logWindow()->windowTitle(), "TLY 通訊記錄");

    // The title bar only hides it.
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    static_cast<QObject*>(form->logWindow())->event(&close);
    EXPECT_FALSE(form->logWindow()->isVisible());
    frmLog* first = form->logWindow();
    QTest::keyClick(form, Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(form->logWindow(), first);
    EXPECT_TRUE(first->isVisible());
}

TEST_F(Running, TabsBringTheirPageToTheFront) {
    EXPECT_TRUE(form->picSwitchWindow()->isVisible());
    EXPECT_FALSE(form->picAudioWindow()->isVisible());
    QTest::mouseClick(form->TabStrip1(), Qt::LeftButton, {},
                      form->TabStrip1()->tabRect(1).center());
    EXPECT_TRUE(form->picAudioWindow()->isVisible());
    EXPECT_FALSE(form->picSwitchWindow()->isVisible());
    EXPECT_FALSE(form->picVideoWindow()->isVisible());
    form->TabStrip1_Click("Audio");
    form->TabStrip1_Click("Mixer");
    EXPECT_TRUE(form->picAudioWindow()->isVisible());
    EXPECT_FALSE(form->picVideoWindow()->isVisible());
    form->TabStrip1()->setCurrentIndex(2);
    EXPECT_TRUE(form->picVideoWindow()->isVisible());
    EXPECT_FALSE(form->picAudioWindow()->isVisible());
}

TEST_F(Running, ClosingTheMainWindowClosesTheLogWindowAndThePort) {
    form->ShowLogWindow();
    ASSERT_TRUE(form->logWindow()->isVisible());
    ASSERT_TRUE(rig.fake.isOpen());
    form->cmdExit()->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->logWindow()->isVisible());
    EXPECT_FALSE(rig.fake.isOpen());
    EXPECT_EQ(released, 1);
    // Nothing is saved at shutdown.
    EXPECT_EQ(rig.Stored("PORT NUMBER"), "5");
}

TEST_F(Running, StatusLineFollowsThePort) {
    const QLabel* status = form->lblPortStatus();
    EXPECT_TRUE(status->text().contains("COM5"));
    EXPECT_TRUE(status->text().contains("9600"));
    EXPECT_TRUE(status->text().endsWith("open"));
    EXPECT_EQ(status->toolTip(), rig.DeviceOf(5));

    rig.fake.loseLine();
    EXPECT_TRUE(status->text().contains("COM5"));
    EXPECT_TRUE(status->text().contains("lost"));
    EXPECT_TRUE(status->text().contains("choose a port in Options"));

    // Choosing a port again is the way back.
    DialogAnswers answers;
    answers.Add([](frmOptions& d) {
        d.cboBaudRate()->setCurrentIndex(1);
        d.cmdOK()->click();
    });
    form->cmdOptions()->click();
    EXPECT_TRUE(status->text().contains("19200"));
    EXPECT_TRUE(status->text().endsWith("open"));
}

TEST_F(Running, CancelInOptionsClearsTheUnitPaneOnlyWhenThePortIsClosed) {
    DialogAnswers answers;
    answers.Add([](frmOptions& d) { d.cmdCancel()->click(); });
    answers.Add([](frmOptions& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    answers.Add([](frmOptions& d) { d.close(); }); // title bar: no clearing
    form->cmdOptions()->click();
    EXPECT_EQ(cleared, 0);
    rig.fake.loseLine();
    form->cmdOptions()->click();
    EXPECT_EQ(cleared, 1);
    form->cmdOptions()->click();
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(answers.shown(), 3);
    EXPECT_EQ(rig.scans, 1); // the start-up scan only
}

TEST(StatusLine, TellsHowTheScanGoesAndWhyThePagesAreDisabled) {
    AppRig rig;
    sim::SimSerialPort& sim = rig.UseSimPort();
    sim::UnitConfig unit;
    unit.id = 1;
    unit.inputs = 64;
    unit.outputs = 64;
    sim.engine().addUnit(unit);
    rig.AddPort(200);
    rig.Store("PORT NUMBER", "200");
    rig.Store("BAUD RATE", "9600");
    QuadrelCore& core = rig.program().core();
    rig.program().hooks().SetScanning = [&core](bool on) { core.status.SetScanning(on); };
    ASSERT_TRUE(rig.program().Main());
    const QLabel* line = rig.program().mainWindow()->lblActivity();
    // The label follows once the handler that moved the scan has ended.
    ASSERT_TRUE(rig.time.advanceUntil(
        [&] { return core.link.queue.CurrentCommand().bID == 5 && core.status.blScanning(); },
        20s));
    QApplication::processEvents();
    EXPECT_EQ(line->text(), "Scanning ID 5 of 31: 1 unit found");
    ASSERT_TRUE(rig.time.advanceUntil([&] { return !core.status.IsBusy(); }, 60s));
    QApplication::processEvents();
    EXPECT_EQ(line->text(), "Scan ended: 1 unit found");
    SwitchView* sw = rig.program().switchView();
    EXPECT_NE(sw->CellKey(0), "NoANoV_UP");
    EXPECT_TRUE(rig.program().audioPage()->isEnabled());

    // A lost port disables the pages as a silent unit would, and says why.
    sim.loseLine();
    rig.time.advance(10ms);
    QApplication::processEvents();
    EXPECT_EQ(line->text(), "The port was lost: no unit can be reached");
    EXPECT_TRUE(rig.program().mainWindow()->lblPortStatus()->text().contains("lost"));
    EXPECT_EQ(sw->CellKey(0), "NoANoV_UP");
    EXPECT_FALSE(rig.program().audioPage()->isEnabled());
    EXPECT_FALSE(rig.program().videoPage()->isEnabled());
    EXPECT_EQ(sw->OutputSourceText(0), "");
}

namespace {

// Captions drawn narrower than their text (mnemonic marks aside), except
// text elided on purpose, which carries a tool tip.
QStringList ClippedCaptions(QWidget* root) {
    QStringList clipped;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisible()) {
            continue;
        }
        QString text;
        int room = 0;
        QStyle* style = w->style();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            text = label->text();
            room = label->contentsRect().width();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = button->text();
            if (qobject_cast<QCheckBox*>(w)) {
                room = w->width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) -
                       style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
            } else if (qobject_cast<QRadioButton*>(w)) {
                room = w->width() -
                       style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) -
                       style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w);
            } else {
                room =
                    w->width() - 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
            }
        }
        text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
        if (text.isEmpty() || (text.contains(QChar(0x2026)) && !w->toolTip().isEmpty())) {
            continue;
        }
        const QStringList lines = text.split(QLatin1Char('\n'));
        int widest = 0;
        for (const QString& line : lines) {
            widest = std::max(widest, w->fontMetrics().horizontalAdvance(line));
        }
        const int tall = static_cast<int>(lines.size()) * w->fontMetrics().lineSpacing();
        if (widest > room || tall > w->height() + w->fontMetrics().leading()) {
            clipped << QStringLiteral("%1 \"%2\": %3 of %4")
                           .arg(w->objectName(), text)
                           .arg(widest)
                           .arg(room);
        }
    }
    return clipped;
}

// The widget lies wholly inside the window and nothing covers or cuts it.
bool InView(QWidget* w, QWidget* window) {
    const QRect where(w->mapTo(window, QPoint(0, 0)), w->size());
    return w->isVisible() && window->rect().contains(where) &&
           w->visibleRegion().boundingRect() == w->rect();
}

} // namespace

// A 1280 by 720 screen with a panel and a title bar: the window opens inside
// it and every page shows its controls, the command buttons and the status
// line; the audio group stays in view below its scrolling panels.
TEST_F(Running, WindowFitsA1280By720Screen) {
    const QRect screen(0, 0, 1280, 720 - 32); // less a desktop panel
    const QRect place =
        WindowFit::FirstPlace(WindowPlacement::kPreferred, form->minimumSizeHint(), screen);
    EXPECT_TRUE(screen.contains(place.marginsAdded(WindowFit::kFrameAllowance)));
    form->setGeometry(place);
    QApplication::processEvents();
    EXPECT_EQ(form->size(), place.size()); // nothing in it asks for more
    const std::pair<const char*, std::vector<const char*>> pages[] = {
        {"Switch", {"picSwitchBackground", "cmdDisconnect", "scoSwitchInput"}},
        {"Audio",
         {"chkSelAllAudioOutput", "chkSelectedMuteStatus", "sldSelectedDelayTime",
          "txtSelectedDelayTime", "scoAudioOutput"}},
        {"Video", {"fraSelectedVideoInput", "chkSelAllVideoInput", "picVideoInput_15"}},
    };
    for (int i = 0; i < 3; ++i) {
        form->TabStrip1()->setCurrentIndex(i);
        QApplication::processEvents();
        for (const char* name : pages[i].second) {
            auto* w = form->findChild<QWidget*>(name);
            ASSERT_NE(w, nullptr) << name;
            EXPECT_TRUE(InView(w, form)) << pages[i].first << ": " << name;
        }
        for (QWidget* w :
             {static_cast<QWidget*>(form->cmdOptions()), static_cast<QWidget*>(form->cmdScan()),
              static_cast<QWidget*>(form->cmdExit()), static_cast<QWidget*>(form->lblPortStatus()),
              form->findChild<QWidget*>("lstQRD")}) {
            EXPECT_TRUE(InView(w, form)) << pages[i].first << ": " << w->objectName().toStdString();
        }
        EXPECT_EQ(ClippedCaptions(form), QStringList()) << pages[i].first;
    }
    EXPECT_TRUE(form->findChildren<QScrollArea*>().size() == 1); // the audio panels' own
}

// With a 12-point interface font nothing is clipped: the switch grid's pitch
// grows for the three-digit port numbers, the other controls with their text.
TEST(LargeFont, CaptionsAndPortNumbersAreNotClipped) {
    const QFont before = QApplication::font();
    QFont large = before;
    large.setPointSize(12);
    QApplication::setFont(large);
    {
        AppRig rig;
        rig.AddPort(5);
        rig.Store("PORT NUMBER", "5");
        rig.Store("BAUD RATE", "9600");
        ASSERT_TRUE(rig.program().Main());
        frmMain* form = rig.program().mainWindow();
        auto* cell = form->findChild<QWidget*>("imgQRD_9");
        EXPECT_GT(cell->x(), grid::CellOrigin(9).x()); // the pitch grew
        for (int i = 0; i < 3; ++i) {
            form->TabStrip1()->setCurrentIndex(i);
            QApplication::processEvents();
            EXPECT_EQ(ClippedCaptions(form), QStringList()) << i;
        }
    }
    QApplication::setFont(before);
}

// The window's size, place, splitter and page are kept in the program's
// state file at shutdown and come back at the next start; a missing or
// damaged file gives a first start; the settings file is never written.
TEST(WindowState, KeptAtShutdownReadAtStartDamagedOrMissingIgnored) {
    AppRig rig;
    rig.AddPort(5);
    rig.Store("PORT NUMBER", "5");
    rig.Store("BAUD RATE", "9600");
    QFile settings(rig.settingsFile());
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QByteArray settingsBefore = settings.readAll();
    settings.close();

    ASSERT_TRUE(rig.program().Main());
    frmMain* form = rig.program().mainWindow();
    const QRect screen = form->screen()->availableGeometry();
    const QRect first =
        WindowFit::FirstPlace(WindowPlacement::kPreferred, form->minimumSizeHint(), screen);
    EXPECT_EQ(form->geometry(), first);
    EXPECT_FALSE(QFile::exists(rig.stateFile())); // written at shutdown only
    // The operator's choices: a taller window, the line moved, the audio page.
    const QRect left = first.adjusted(0, 0, 0, 40);
    form->setGeometry(left);
    QApplication::processEvents();
    const int pane = form->splPanes()->sizes().at(1) + 30;
    form->splPanes()->setSizes({form->splPanes()->height() - pane, pane});
    const QList<int> sizes = form->splPanes()->sizes();
    form->TabStrip1()->setCurrentIndex(1);
    rig.EndProgram();
    ASSERT_TRUE(QFile::exists(rig.stateFile()));

    ASSERT_TRUE(rig.program().Main());
    form = rig.program().mainWindow();
    QApplication::processEvents();
    EXPECT_EQ(form->geometry(), WindowFit::FitToScreens(left, {screen}, form->minimumSizeHint()));
    // The unit pane as it was left; the pages take what the fitted window has.
    EXPECT_EQ(form->splPanes()->sizes().at(1), sizes.at(1));
    EXPECT_TRUE(form->picAudioWindow()->isVisible());
    rig.EndProgram();

    for (const QByteArray& damage :
         {QByteArray("\x01\xff[Window\nGeometry=@Rect(\x02\0", 27),
          QByteArray("[Window]\nFormat=1\nGeometry=nonsense\nSplitter=@ByteArray(xyz)\nPage="
                     "Nowhere\n")}) {
        QFile file(rig.stateFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(damage);
        file.close();
        ASSERT_TRUE(rig.program().Main());
        form = rig.program().mainWindow();
        QApplication::processEvents();
        EXPECT_EQ(form->geometry(), first);
        EXPECT_TRUE(form->picSwitchWindow()->isVisible());
        form->TabStrip1()->setCurrentIndex(2);
        rig.EndProgram();
        // Kept again over the damage.
        ProgramState state(rig.stateFile());
        EXPECT_EQ(state.Value(QStringLiteral("Window/Page")).toString(), "Video");
    }

    settings.open(QIODevice::ReadOnly);
    EXPECT_EQ(settings.readAll(), settingsBefore);
}
