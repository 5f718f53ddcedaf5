#include "log/Contrast.h"
#include "log/TraceIcons.h"
#include "log/basLog.h"
#include "log/frmLog.h"
#include "support/QtPrinters.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextBlock>
#include <QToolBar>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

using namespace quadrel;

namespace {

class NoClock : public LogClock {
public:
    QDateTime LocalNow() const override { return {}; }
};

class LogWindow : public ::testing::Test {
protected:
    NoClock clock;
    basLog log{QString(), clock};
    frmLog form{log};
};

// What the window system sends when the operator closes from the title bar.
void CloseFromTitleBar(QWidget& window) {
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    // Delivered straight to the handler: sendEvent would clear the flag.
    static_cast<QObject&>(window).event(&close);
}

} // namespace

TEST_F(LogWindow, RunStopToolBarAndClosingFromTheTitleBar) {
    EXPECT_EQ(form.windowTitle(), "TLY 通訊記錄");
    EXPECT_EQ(form.mnuRecord()->title() + form.mnuView()->title(), "記錄(&R)檢視(&V)");
    EXPECT_EQ(form.mnuRun()->text() + form.mnuStop()->text() + form.mnuToolBar()->text(),
              "開始記錄(&R)停止記錄(&S)工具列(&T)");
    QAction* run = form.ToolbarButton("Run");
    QAction* stop = form.ToolbarButton("Stop");
    ASSERT_TRUE(run && stop);
    EXPECT_FALSE(run->icon().pixmap(16).toImage().isNull());
    EXPECT_NE(run->icon().pixmap(16).toImage(), stop->icon().pixmap(16).toImage());
    // Run and Stop enable each other, in the menu and on the tool bar.
    const auto enabled = [&] {
        return std::array{form.mnuRun()->isEnabled(), run->isEnabled(), form.mnuStop()->isEnabled(),
                          stop->isEnabled()};
    };
    EXPECT_FALSE(log.blShowTrace());
    EXPECT_EQ(enabled(), (std::array{true, true, false, false}));
    run->trigger();
    EXPECT_TRUE(log.blShowTrace());
    EXPECT_EQ(enabled(), (std::array{false, false, true, true}));
    form.Toolbar1_ButtonClick("Pause");
    EXPECT_TRUE(log.blShowTrace());
    form.mnuStop()->trigger();
    EXPECT_FALSE(log.blShowTrace());
    EXPECT_EQ(enabled(), (std::array{true, true, false, false}));

    // The tool bar item shows and hides the tool bar; the text follows, down
    // to the status bar that holds the figures of each unit.
    form.show();
    EXPECT_TRUE(form.Toolbar1()->isVisible());
    EXPECT_EQ(form.txtLog()->geometry().top(), form.Toolbar1()->geometry().bottom() + 1);
    form.mnuToolBar()->trigger();
    EXPECT_FALSE(form.Toolbar1()->isVisible());
    EXPECT_EQ(form.txtLog()->geometry().top(), form.menuBar()->geometry().bottom() + 1);
    EXPECT_EQ(form.txtLog()->width(), form.width());
    EXPECT_EQ(form.txtLog()->geometry().bottom(), form.statusBar()->geometry().top() - 1);
    EXPECT_EQ(form.statusBar()->geometry().bottom(), form.height() - 1);
    form.mnuToolBar()->trigger();
    EXPECT_EQ(form.txtLog()->geometry().top(), form.Toolbar1()->geometry().bottom() + 1);

    // Closing from the title bar hides; a hidden window keeps collecting.
    form.EnableLog(true);
    log.LogSend({0x01, 0x02});
    CloseFromTitleBar(form);
    EXPECT_FALSE(form.isVisible());
    log.LogRecv({0x81, 0xD2});
    form.show();
    EXPECT_EQ(form.txtLog()->toPlainText(), "SEND 01 02 \nRECV 81 D2 \n");
    EXPECT_FALSE(form.mnuRun()->isEnabled());
    form.Unload();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(LogWindow, TextShownMatchesTheTextHeldAcrossTrims) {
    form.EnableLog(true);
    for (int i = 0; i < 6000; ++i) {
        log.LogRecv(Bytes(static_cast<size_t>(1 + (i * 7) % 40), static_cast<uint8_t>(i)));
    }
    log.LogRecv(Bytes(5500, 0xAA)); // one long line
    for (int i = 0; i < 3000; ++i) {
        log.LogSend({0x21, 0x3F, 0x00, 0x00, 0xF1});
    }
    QString held = log.txtLog();
    if (held.startsWith('\n')) {
        held.remove(0, 1);
    }
    EXPECT_EQ(form.txtLog()->toPlainText().replace("\n", "\r\n"), held);
    EXPECT_LT(log.txtLog().size(), basLog::kTrimAt);
}

TEST_F(LogWindow, DirectionsHaveDistinctReadableColours) {
    form.EnableLog(true);
    log.LogSend({0x01});
    log.LogRecv({0x81});
    const QTextBlock sent = form.txtLog()->document()->firstBlock();
    const QColor send = sent.begin().fragment().charFormat().foreground().color();
    const QColor recv = sent.next().begin().fragment().charFormat().foreground().color();
    EXPECT_NE(send, recv);

    // Light, dark, and a grey theme in between that neither fixed shade suits.
    for (const QColor base : {QColor(Qt::white), QColor(0xf0, 0xf0, 0xf0), QColor(0x1e, 0x1e, 0x1e),
                              QColor(Qt::black), QColor(0x80, 0x80, 0x80)}) {
        QPalette palette;
        palette.setColor(QPalette::Base, base);
        const QColor s = TraceLineColour(TraceColour::Send, palette);
        const QColor r = TraceLineColour(TraceColour::Recv, palette);
        EXPECT_GE(Contrast::Ratio(s, base), 4.5) << base.name().toStdString();
        EXPECT_GE(Contrast::Ratio(r, base), 4.5) << base.name().toStdString();
        palette.setColor(QPalette::Text, base); // a theme that got its text wrong
        EXPECT_GE(Contrast::Ratio(TraceLineColour(TraceColour::Words, palette), base), 4.5);
        EXPECT_GT(std::abs(s.hueF() - r.hueF()), 0.25);
    }
}
