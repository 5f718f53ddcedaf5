#include "app/GridGeometry.h"

#include <algorithm>

namespace quadrel::grid {

QPoint CellOrigin(int cell, int pitch, int columns) {
    return {Column(cell, columns) * pitch + kMargin, Row(cell, columns) * pitch + kMargin};
}

QRect CellRect(int cell, int pitch, int columns) {
    return {CellOrigin(cell, pitch, columns), QSize(CellSize(pitch), CellSize(pitch))};
}

QRect FrameRect(int cell, int pitch, int columns) {
    return {CellOrigin(cell, pitch, columns) - QPoint(1, 1),
            QSize(CellSize(pitch) + 2, CellSize(pitch) + 2)};
}

// The bars run from the middle of a cell's side across the gap.
QRect RightBarRect(int cell, int pitch, int columns) {
    const int size = CellSize(pitch);
    return {CellOrigin(cell, pitch, columns) + QPoint(size, (size - 4) / 2), QSize(6, 4)};
}

QRect BelowBarRect(int cell, int pitch, int columns) {
    const int size = CellSize(pitch);
    return {CellOrigin(cell, pitch, columns) + QPoint((size - 4) / 2, size), QSize(4, 6)};
}

std::vector<int> RowWireCells(int column, int row, int count, Shape shape) {
    std::vector<int> cells;
    const int last = std::min(column + count - 1, shape.columns - 1);
    for (int c = column; c <= last; ++c) {
        cells.push_back(Cell(c, row, shape.columns));
    }
    return cells;
}

std::vector<int> ColumnWireCells(int column, int row, int count, Shape shape) {
    std::vector<int> cells;
    const int last = std::min(row + count - 1, shape.rows - 1);
    for (int r = row; r <= last; ++r) {
        cells.push_back(Cell(column, r, shape.columns));
    }
    return cells;
}

std::optional<int> PositionOf(int port, int scrollValue, int side) {
    const int position = port - 1 - scrollValue;
    if (position < 0 || position >= side) {
        return std::nullopt;
    }
    return position;
}

std::optional<int> CellOf(int input, int output, int inputScroll, int outputScroll, Shape shape) {
    const auto column = PositionOf(input, inputScroll, shape.columns);
    const auto row = PositionOf(output, outputScroll, shape.rows);
    if (!column || !row) {
        return std::nullopt;
    }
    return Cell(*column, *row, shape.columns);
}

QString PortCaption(int port) {
    return QStringLiteral("%1").arg(port, 3, 10, QLatin1Char('0'));
}

} // namespace quadrel::grid
