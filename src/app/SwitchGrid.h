#pragma once

#include "app/GridGeometry.h"

#include <QColor>
#include <QWidget>

#include <vector>

namespace quadrel {

class CrosspointCell;
class HoverFrame;

// The grid's drawing surface (picSwitchBackground): the crosspoint cells,
// the connector bars between them and the hover frame.
class SwitchGrid : public QWidget {
    Q_OBJECT
public:
    static const QColor kWire;      // dark red
    static const QColor kHighlight; // magenta

    // `pitch`: grid::kPitch, or more for a large interface font.
    explicit SwitchGrid(int pitch = grid::kPitch, grid::Shape shape = {},
                        QWidget* parent = nullptr);
    int pitch() const { return pitch_; }
    grid::Shape shape() const { return shape_; }

    CrosspointCell* cell(int k) const { return cells_.at(static_cast<size_t>(k)); }
    HoverFrame* frame() const { return frame_; }

    QColor rightBarColor(int k) const { return right_.at(static_cast<size_t>(k)); }
    QColor belowBarColor(int k) const { return below_.at(static_cast<size_t>(k)); }

    void Draw_GridWires(const QColor& colour);
    void Draw_RowWires(int column, int row, int count, const QColor& colour);
    void Draw_ColumnWires(int column, int row, int count, const QColor& colour);
    // The bars from cell k to the right edge and to the bottom edge.
    void Draw_CellWires(int k, bool highlight);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    grid::Shape shape_;
    std::vector<CrosspointCell*> cells_;
    std::vector<QColor> right_;
    std::vector<QColor> below_;
    HoverFrame* frame_;
    int pitch_;
};

} // namespace quadrel
