#include "app/SwitchGrid.h"

#include "app/CrosspointCell.h"
#include "app/HoverFrame.h"

#include <QPaintEvent>
#include <QPainter>

namespace quadrel {

const QColor SwitchGrid::kWire(128, 0, 0);
const QColor SwitchGrid::kHighlight(255, 0, 255);

SwitchGrid::SwitchGrid(int pitch, grid::Shape shape, QWidget* parent)
    : QWidget(parent), shape_(shape), right_(static_cast<size_t>(shape.cells()), kWire),
      below_(static_cast<size_t>(shape.cells()), kWire), frame_(nullptr), pitch_(pitch) {
    setObjectName(QStringLiteral("picSwitchBackground"));
    setAccessibleName(tr("crosspoint grid"));
    setFixedSize(sizeHint());
    for (int k = 0; k < shape_.cells(); ++k) {
        auto* cell = new CrosspointCell(k, this);
        cell->setObjectName(QStringLiteral("imgQRD_%1").arg(k));
        cell->setGeometry(grid::CellRect(k, pitch_, shape_.columns));
        cells_.push_back(cell);
    }
    frame_ = new HoverFrame(this);
    frame_->setObjectName(QStringLiteral("shpSelected"));
    frame_->setGeometry(grid::FrameRect(0, pitch_, shape_.columns));
    frame_->hide();
    frame_->raise();
    Draw_GridWires(kWire);
}

QSize SwitchGrid::sizeHint() const {
    return {grid::BackgroundSize(pitch_, shape_.columns),
            grid::BackgroundSize(pitch_, shape_.rows)};
}

void SwitchGrid::Draw_GridWires(const QColor& colour) {
    for (int c = 0; c < shape_.columns; ++c) {
        Draw_ColumnWires(c, 0, shape_.rows, colour);
    }
    for (int r = 0; r < shape_.rows; ++r) {
        Draw_RowWires(0, r, shape_.columns, colour);
    }
}

void SwitchGrid::Draw_RowWires(int column, int row, int count, const QColor& colour) {
    for (int k : grid::RowWireCells(column, row, count, shape_)) {
        right_[static_cast<size_t>(k)] = colour;
        update(grid::RightBarRect(k, pitch_, shape_.columns));
    }
}

void SwitchGrid::Draw_ColumnWires(int column, int row, int count, const QColor& colour) {
    for (int k : grid::ColumnWireCells(column, row, count, shape_)) {
        below_[static_cast<size_t>(k)] = colour;
        update(grid::BelowBarRect(k, pitch_, shape_.columns));
    }
}

void SwitchGrid::Draw_CellWires(int k, bool highlight) {
    const QColor& colour = highlight ? kHighlight : kWire;
    const int c = grid::Column(k, shape_.columns);
    const int r = grid::Row(k, shape_.columns);
    Draw_RowWires(c, r, shape_.columns - c, colour);
    Draw_ColumnWires(c, r, shape_.rows - r, colour);
}

void SwitchGrid::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), palette().window());
    for (int k = 0; k < shape_.cells(); ++k) {
        const QRect right = grid::RightBarRect(k, pitch_, shape_.columns);
        if (right.intersects(event->rect())) {
            p.fillRect(right, right_[static_cast<size_t>(k)]);
        }
        const QRect below = grid::BelowBarRect(k, pitch_, shape_.columns);
        if (below.intersects(event->rect())) {
            p.fillRect(below, below_[static_cast<size_t>(k)]);
        }
    }
}

} // namespace quadrel
