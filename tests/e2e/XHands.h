#pragma once

// The operator's mouse and keyboard: xdotool on the test's virtual display
// (xvfb-run), through the X server as a person's hands.
#include "support/Pty.h"

#include <QPoint>
#include <QProcess>
#include <QStringList>
#include <QWidget>

#include <optional>

namespace quadrel::test {

// xdotool with `args`, while the program's event loop keeps running: a
// shortcut may open a dialog whose own loop takes the rest of the keys.
inline bool Hands(const QStringList& args) {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), args);
    return WaitFor([&] { return xdotool.state() == QProcess::NotRunning; },
                   std::chrono::seconds(10)) &&
           xdotool.exitStatus() == QProcess::NormalExit && xdotool.exitCode() == 0;
}

// The mouse to `inside` `w` (its middle unless said), and a left click.
inline QStringList At(const QWidget* w, std::optional<QPoint> inside = std::nullopt) {
    const QPoint p = w->mapToGlobal(inside.value_or(w->rect().center()));
    return {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()),
            QStringLiteral("click"), QStringLiteral("1")};
}

} // namespace quadrel::test
