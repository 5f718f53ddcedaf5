#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

namespace quadrel::grid {

// The switch grid shows 8 inputs (columns) by 8 outputs (rows) of the unit.
constexpr int kSide = 8;
constexpr int kCells = kSide * kSide;
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
constexpr int BackgroundSize(int pitch) {
    return kSide * pitch + 8;
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

constexpr int Row(int cell) {
    return cell / kSide;
}
constexpr int Column(int cell) {
    return cell % kSide;
}
constexpr int Cell(int column, int row) {
    return row * kSide + column;
}

// Top-left corner of a cell on the background.
QPoint CellOrigin(int cell, int pitch = kPitch);
QRect CellRect(int cell, int pitch = kPitch);
// The hover frame stands one pixel outside the cell.
QRect FrameRect(int cell, int pitch = kPitch);

// Each cell has a bar to its right and one below it.
QRect RightBarRect(int cell, int pitch = kPitch);
QRect BelowBarRect(int cell, int pitch = kPitch);

// Cells whose right bars a row run of `count` from (column, row) covers, the
// last column clamped to the grid.
std::vector<int> RowWireCells(int column, int row, int count);
// Cells whose bars below a column run of `count` from (column, row) covers.
std::vector<int> ColumnWireCells(int column, int row, int count);

// 1-based port shown at a 0-based position, given the scroll bar's value.
constexpr int PortAt(int scrollValue, int position) {
    return scrollValue + position + 1;
}
// Position of a port in the window, if it is shown.
std::optional<int> PositionOf(int port, int scrollValue);
// The cell that shows (input, output), if both are in the window.
std::optional<int> CellOf(int input, int output, int inputScroll, int outputScroll);

// Caption of an input button or output box: the port in three digits (005).
QString PortCaption(int port);

} // namespace quadrel::grid
