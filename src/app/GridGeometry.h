#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

namespace quadrel::grid {

// The switch grid shows inputs in columns and outputs in rows: as many as
// the page holds, 8 by 8 the least.
constexpr int kSide = 8;
constexpr int kCells = kSide * kSide;
// A bound on the cells of a very large screen, each of them a widget.
constexpr int kMaxSide = 96;

// How many inputs (columns) and outputs (rows) the window shows.
struct Shape {
    int columns = kSide;
    int rows = kSide;
    constexpr int cells() const { return columns * rows; }
    bool operator==(const Shape&) const = default;
};
// The design pitch; a larger interface font needs more (PitchFor).
constexpr int kPitch = 32;
constexpr int kMargin = 6;
constexpr int kCellSize = 26;
constexpr int kBackgroundSize = 264;
constexpr int kFrameSize = 28;

// Cells keep 6 pixels between them for the bars, and the surface a margin
// of 6 before and 2 after, at any pitch.
constexpr int CellSize(int pitch) {
    return pitch - 6;
}
constexpr int BackgroundSize(int pitch, int side = kSide) {
    return side * pitch + 8;
}
// How many ports of a unit with `ports` fit along `length` pixels of
// background: at least kSide, never more than the unit has (beyond kSide)
// or kMaxSide.
constexpr int SideFor(int length, int pitch, int ports) {
    int side = (length - 8) / pitch;
    side = side > ports ? ports : side;
    side = side > kMaxSide ? kMaxSide : side;
    return side < kSide ? kSide : side;
}
// The pitch at which a port caption `captionWidth` pixels wide (three
// digits) and `lineHeight` high fits on its button: the design's 32 as long
// as the font allows.
constexpr int PitchFor(int captionWidth, int lineHeight) {
    const int byWidth = captionWidth + 8; // button frame, a pixel each side, and the gap
    const int byHeight = lineHeight + 8;
    return byWidth > kPitch || byHeight > kPitch ? (byWidth > byHeight ? byWidth : byHeight)
                                                 : kPitch;
}

// Cells are numbered row by row.
constexpr int Row(int cell, int columns = kSide) {
    return cell / columns;
}
constexpr int Column(int cell, int columns = kSide) {
    return cell % columns;
}
constexpr int Cell(int column, int row, int columns = kSide) {
    return row * columns + column;
}

// Top-left corner of a cell on the background.
QPoint CellOrigin(int cell, int pitch = kPitch, int columns = kSide);
QRect CellRect(int cell, int pitch = kPitch, int columns = kSide);
// The hover frame stands one pixel outside the cell.
QRect FrameRect(int cell, int pitch = kPitch, int columns = kSide);

// Each cell has a bar to its right and one below it.
QRect RightBarRect(int cell, int pitch = kPitch, int columns = kSide);
QRect BelowBarRect(int cell, int pitch = kPitch, int columns = kSide);

// Cells whose right bars a row run of `count` from (column, row) covers, the
// last column clamped to the grid.
std::vector<int> RowWireCells(int column, int row, int count, Shape shape = {});
// Cells whose bars below a column run of `count` from (column, row) covers.
std::vector<int> ColumnWireCells(int column, int row, int count, Shape shape = {});

// 1-based port shown at a 0-based position, given the scroll bar's value.
constexpr int PortAt(int scrollValue, int position) {
    return scrollValue + position + 1;
}
// Position of a port in a window `side` ports long, if it is shown.
std::optional<int> PositionOf(int port, int scrollValue, int side = kSide);
// The cell that shows (input, output), if both are in the window.
std::optional<int> CellOf(int input, int output, int inputScroll, int outputScroll,
                          Shape shape = {});

// Caption of an input button or output box: the port in three digits (005).
QString PortCaption(int port);

} // namespace quadrel::grid
