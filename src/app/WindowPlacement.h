#pragma once

#include <QSize>

class QMainWindow;
class QSplitter;
class QTabBar;

namespace quadrel {

class ProgramState;

// Where the main window stands, how its splitter divides the height and
// which page is in front, kept in the program's state file (group "Window")
// from one run to the next. A missing, damaged or foreign value is ignored:
// the window then opens as on a first start, sized to its screen.
namespace WindowPlacement {

// The size the window asks for where the screen has room.
inline constexpr QSize kPreferred{1060, 900};

// Before the window is first shown. `state` may be null (nothing kept).
// True when the splitter was set as it was left.
bool Restore(const ProgramState* state, QMainWindow& window, QSplitter& splitter, QTabBar& tabs);
// The first division of the height, once the splitter has its size: the
// pages as much as they ask for, the unit pane the rest, at least its least.
void ShareHeight(QSplitter& splitter);
// At shutdown, while the window still stands where the operator left it.
void Save(ProgramState& state, const QMainWindow& window, const QSplitter& splitter,
          const QTabBar& tabs);

} // namespace WindowPlacement

} // namespace quadrel
