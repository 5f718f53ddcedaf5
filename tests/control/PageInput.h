#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

#include <vector>

namespace quadrel::test {

inline void Click(QWidget* box, Qt::KeyboardModifiers mods = Qt::NoModifier,
                  Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(box, button, mods, QPoint(6, box->height() / 2));
}

// The window of `w` active, so that keys reach it.
inline void Activate(QWidget* w) {
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

// One notch of the wheel, as from the mouse so that it travels up. True when taken.
inline bool Wheel(QWidget* w, bool up) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, up ? 120 : -120), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    e.ignore();
    QSpontaneKeyEvent::setSpontaneous(&e);
    QApplication::instance()->notify(w, &e);
    return e.isAccepted();
}

// Keys on the focused box; where each step leaves the focus (the port number
// in its caption, "Output 12" or "Input 12") and the scroll bar.
struct KeyStep {
    Qt::Key key;
    int times;
    const char* focus;
    int scroll;
};
inline void RunKeys(QWidget& page, const QScrollBar& bar, const std::vector<KeyStep>& steps) {
    for (const KeyStep& s : steps) {
        for (int i = 0; i < s.times; ++i) {
            QTest::keyClick(page.focusWidget(), s.key);
        }
        const auto* box = qobject_cast<QAbstractButton*>(page.focusWidget());
        EXPECT_EQ(box ? box->text().section(' ', 1, 1).toStdString() : "no box", s.focus)
            << QTest::toString(s.key) << " x" << s.times;
        EXPECT_EQ(bar.value(), s.scroll) << QTest::toString(s.key) << " x" << s.times;
    }
}

} // namespace quadrel::test
