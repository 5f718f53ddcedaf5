#pragma once

#include "log/Contrast.h"

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QWidget>

namespace quadrel::PanelColours {

inline QColor Selected() {
    return QColor(128, 255, 255);
}
inline QColor Unselected() {
    return QColor(Qt::white);
}
// The system's face colour of controls.
inline QColor Disabled() {
    return QApplication::palette().color(QPalette::Button);
}

inline QColor Of(bool enabled, bool selected) {
    if (!enabled) {
        return Disabled();
    }
    return selected ? Selected() : Unselected();
}

// Paints a widget's own background in `colour` (buttons fill theirs from
// the button role, panels from the window role), with text that reads on it:
// the panel colours are fixed, the desktop's text colour is not (white on
// white under a dark palette).
inline void Paint(QWidget* w, const QColor& colour) {
    // Replies redraw every panel; a palette set anew costs as much as a change.
    if (w->autoFillBackground() && w->palette().color(QPalette::Window) == colour &&
        w->palette().color(w->backgroundRole()) == colour) {
        return;
    }
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(w->backgroundRole(), colour);
    const QColor text = Contrast::TextOn(colour);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Active, role, text);
        p.setColor(QPalette::Inactive, role, text);
        p.setColor(QPalette::Disabled, role, Contrast::Faded(text, colour));
    }
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

inline QColor Background(const QWidget* w) {
    return w->palette().color(QPalette::Window);
}

} // namespace quadrel::PanelColours
