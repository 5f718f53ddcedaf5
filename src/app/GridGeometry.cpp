#include "app/GridGeometry.h"

#include <algorithm>

namespace quadrel::grid {

QPoint CellOrigin(int cell) {
    return {Column(cell) * kPitch + kMargin, Row(cell) * kPitch + kMargin};
}

QRect CellRect(int cell) {
    return {CellOrigin(cell), QSize(kCellSize, kCellSize)};
}

QRect FrameRect(int cell) {
    return {CellOrigin(cell) - QPoint(1, 1), QSize(kFrameSize, kFrameSize)};
}

QRect RightBarRect(int cell) {
    return {CellOrigin(cell) + QPoint(kCellSize, 11), QSize(6, 4)};
}

QRect BelowBarRect(int cell) {
    return {CellOrigin(cell) + QPoint(11, kCellSize), QSize(4, 6)};
}

std::vector<int> RowWireCells(int column, int row, int count) {
    std::vector<int> cells;
    const int last = std::min(column + count - 1, kSide - 1);
    for (int c = column; c <= last; ++c) {
        cells.push_back(Cell(c, row));
    }
    return cells;
}

std::vector<int> ColumnWireCells(int column, int row, int count) {
    std::vector<int> cells;
    const int last = std::min(row + count - 1, kSide - 1);
    for (int r = row; r <= last; ++r) {
        cells.push_back(Cell(column, r));
    }
    return cells;
}

std::optional<int> PositionOf(int port, int scrollValue) {
    const int position = port - 1 - scrollValue;
    if (position < 0 || position >= kSide) {
        return std::nullopt;
    }
    return position;
}

std::optional<int> CellOf(int input, int output, int inputScroll, int outputScroll) {
    const auto column = PositionOf(input, inputScroll);
    const auto row = PositionOf(output, outputScroll);
    if (!column || !row) {
        return std::nullopt;
    }
    return Cell(*column, *row);
}

QString PortCaption(int port) {
    return QStringLiteral("%1").arg(port, 3, 10, QLatin1Char('0'));
}

} // namespace quadrel::grid
