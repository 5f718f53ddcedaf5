#include "app/WindowPlacement.h"

#include "app/WindowFit.h"
#include "model/ProgramState.h"

#include <QGuiApplication>

#include <QMainWindow>
#include <QScreen>
#include <QSplitter>
#include <QTabBar>
#include <algorithm>

namespace quadrel::WindowPlacement {

namespace {

// The group's own format number: values written by another layout of the
// group are not read back as this one.
constexpr int kFormat = 1;

const QString kFormatKey = QStringLiteral("Window/Format");
const QString kGeometryKey = QStringLiteral("Window/Geometry");
const QString kMaximizedKey = QStringLiteral("Window/Maximized");
const QString kSplitterKey = QStringLiteral("Window/Splitter");
const QString kPageKey = QStringLiteral("Window/Page");

QList<QRect> AvailableScreens() {
    QList<QRect> screens;
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        screens << primary->availableGeometry();
    }
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen()) {
            screens << screen->availableGeometry();
        }
    }
    return screens;
}

} // namespace

bool Restore(const ProgramState* state, QMainWindow& window, QSplitter& splitter, QTabBar& tabs) {
    const bool kept = state != nullptr && state->Value(kFormatKey).toInt() == kFormat;
    const QSize minimum = window.minimumSizeHint().expandedTo(window.minimumSize());
    QRect place;
    if (kept) {
        place = WindowFit::FitToScreens(state->Value(kGeometryKey).toRect(), AvailableScreens(),
                                        minimum);
    }
    if (!place.isValid()) {
        const QScreen* screen =
            window.screen() ? window.screen() : QGuiApplication::primaryScreen();
        const QRect available = screen ? screen->availableGeometry() : QRect();
        // A large screen gives the grid and the panels room from the start:
        // most of the screen, never less than the design's size.
        const QSize preferred = kPreferred.expandedTo(available.size() * 0.85);
        place = WindowFit::FirstPlace(preferred, minimum, available);
    }
    window.setGeometry(place);
    if (!kept) {
        return false;
    }
    if (state->Value(kMaximizedKey).toBool()) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    }
    const QString page = state->Value(kPageKey).toString();
    for (int i = 0; i < tabs.count(); ++i) {
        if (tabs.tabData(i).toString() == page) {
            tabs.setCurrentIndex(i);
        }
    }
    // restoreState checks what it reads and changes nothing when it fails.
    return splitter.restoreState(state->Value(kSplitterKey).toByteArray());
}

void ShareHeight(QSplitter& splitter) {
    if (splitter.count() != 2) {
        return;
    }
    const int total = splitter.height() - splitter.handleWidth();
    const int least = splitter.widget(1)->minimumSizeHint().height();
    // The pages stand one over the other: the tallest wish counts, so the
    // division does not depend on the page in front.
    int wanted = 0;
    for (const QWidget* page :
         splitter.widget(0)->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        wanted = std::max(wanted, page->sizeHint().height());
    }
    const int pane = std::max(least, total - wanted);
    splitter.setSizes({total - pane, pane});
}

void Save(ProgramState& state, const QMainWindow& window, const QSplitter& splitter,
          const QTabBar& tabs) {
    state.SetValue(kFormatKey, kFormat);
    state.SetValue(kGeometryKey, window.normalGeometry());
    state.SetValue(kMaximizedKey, window.isMaximized());
    state.SetValue(kSplitterKey, splitter.saveState());
    state.SetValue(kPageKey, tabs.tabData(tabs.currentIndex()).toString());
}

} // namespace quadrel::WindowPlacement
