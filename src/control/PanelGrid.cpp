#include "control/PanelGrid.h"

#include <algorithm>

namespace quadrel {

PanelGrid::PanelGrid(int columns, int designRows, QWidget* parent)
    : QWidget(parent), columns_(std::max(columns, 1)), designRows_(std::max(designRows, 1)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PanelGrid::setPanels(std::vector<QWidget*> panels) {
    panels_ = std::move(panels);
    // Until the grid has a size: the rows of the design.
    shown_ = std::min(static_cast<int>(panels_.size()), designRows_ * columns_);
    for (size_t i = 0; i < panels_.size(); ++i) {
        panels_[i]->setVisible(static_cast<int>(i) < shown_);
    }
    updateGeometry();
}

int PanelGrid::RowsThatFit(int height, int rowHeight, int spacing, int maxRows) {
    if (rowHeight <= 0) {
        return std::max(maxRows, 1);
    }
    return std::clamp((height + spacing) / (rowHeight + spacing), 1, std::max(maxRows, 1));
}

int PanelGrid::RowHeight() const {
    return panels_.empty() ? 0 : panels_.front()->sizeHint().height();
}

QSize PanelGrid::Size(int rows) const {
    int width = 0;
    for (const QWidget* panel : panels_) {
        width = std::max(width, panel->minimumSizeHint().width());
    }
    return {columns_ * width + (columns_ - 1) * spacing_,
            rows * RowHeight() + (rows - 1) * spacing_};
}

QSize PanelGrid::sizeHint() const {
    return Size(designRows_);
}

QSize PanelGrid::minimumSizeHint() const {
    return Size(1);
}

void PanelGrid::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Place();
}

void PanelGrid::Place() {
    const int maxRows = (static_cast<int>(panels_.size()) + columns_ - 1) / columns_;
    const int rowHeight = RowHeight();
    const int rows = RowsThatFit(height(), rowHeight, spacing_, maxRows);
    const int shown = std::min(rows * columns_, static_cast<int>(panels_.size()));
    const int columnWidth = (width() - (columns_ - 1) * spacing_) / columns_;
    for (int i = 0; i < static_cast<int>(panels_.size()); ++i) {
        QWidget* panel = panels_[static_cast<size_t>(i)];
        if (i < shown) {
            panel->setGeometry((i % columns_) * (columnWidth + spacing_),
                               (i / columns_) * (rowHeight + spacing_), columnWidth, rowHeight);
        }
        panel->setVisible(i < shown);
    }
    if (shown != shown_) {
        shown_ = shown;
        emit shownChanged(shown);
    }
}

} // namespace quadrel
