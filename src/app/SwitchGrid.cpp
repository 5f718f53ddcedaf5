#include "app/SwitchGrid.h"

#include "app/CrosspointCell.h"
#include "app/HoverFrame.h"

#include <QPainter>

namespace quadrel {

const QColor SwitchGrid::kWire(128, 0, 0);
const QColor SwitchGrid::kHighlight(255, 0, 255);

SwitchGrid::SwitchGrid(int pitch, QWidget* parent)
    : QWidget(parent), frame_(nullptr), pitch_(pitch) {
    setObjectName(QStringLiteral("picSwitchBackground"));
    setAccessibleName(QStringLiteral("crosspoint grid"));
    setFixedSize(grid::BackgroundSize(pitch_), grid::BackgroundSize(pitch_));
    right_.fill(kWire);
    below_.fill(kWire);
    for (int k = 0; k < grid::kCells; ++k) {
        auto* cell = new CrosspointCell(k, this);
        cell->setObjectName(QStringLiteral("imgQRD_%1").arg(k));
        cell->setGeometry(grid::CellRect(k, pitch_));
        cells_[static_cast<size_t>(k)] = cell;
    }
    frame_ = new HoverFrame(this);
    frame_->setObjectName(QStringLiteral("shpSelected"));
    frame_->setGeometry(grid::FrameRect(0, pitch_));
    frame_->hide();
    frame_->raise();
    Draw_GridWires(kWire);
}

QSize SwitchGrid::sizeHint() const {
    return {grid::BackgroundSize(pitch_), grid::BackgroundSize(pitch_)};
}

void SwitchGrid::Draw_GridWires(const QColor& colour) {
    for (int c = 0; c < grid::kSide; ++c) {
        Draw_ColumnWires(c, 0, grid::kSide, colour);
    }
    for (int r = 0; r < grid::kSide; ++r) {
        Draw_RowWires(0, r, grid::kSide, colour);
    }
}

void SwitchGrid::Draw_RowWires(int column, int row, int count, const QColor& colour) {
    for (int k : grid::RowWireCells(column, row, count)) {
        right_[static_cast<size_t>(k)] = colour;
        update(grid::RightBarRect(k, pitch_));
    }
}

void SwitchGrid::Draw_ColumnWires(int column, int row, int count, const QColor& colour) {
    for (int k : grid::ColumnWireCells(column, row, count)) {
        below_[static_cast<size_t>(k)] = colour;
        update(grid::BelowBarRect(k, pitch_));
    }
}

void SwitchGrid::Draw_CellWires(int k, bool highlight) {
    const QColor& colour = highlight ? kHighlight : kWire;
    const int c = grid::Column(k);
    const int r = grid::Row(k);
    Draw_RowWires(c, r, grid::kSide - c, colour);
    Draw_ColumnWires(c, r, grid::kSide - r, colour);
}

void SwitchGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    for (int k = 0; k < grid::kCells; ++k) {
        p.fillRect(grid::RightBarRect(k, pitch_), right_[static_cast<size_t>(k)]);
        p.fillRect(grid::BelowBarRect(k, pitch_), below_[static_cast<size_t>(k)]);
    }
}

} // namespace quadrel
