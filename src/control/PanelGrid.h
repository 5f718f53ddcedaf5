#pragma once

#include <QWidget>

#include <functional>
#include <vector>

namespace quadrel {

// The window of port panels of a page: as many rows of `columns` panels as
// its height holds (at least one, at most as many as there are panels), so
// the page needs no scroll area of its own and its port scroll bar is the
// only one. Panels beyond the rows that fit are hidden. `shownChanged` tells
// the page how many panels it shows now.
class PanelGrid : public QWidget {
    Q_OBJECT
public:
    PanelGrid(int columns, int designRows, QWidget* parent = nullptr);

    // In reading order, all of the same height.
    void setPanels(std::vector<QWidget*> panels);
    int shown() const { return shown_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The rows that `height` holds, of panels `rowHeight` high `spacing` apart.
    static int RowsThatFit(int height, int rowHeight, int spacing, int maxRows);

signals:
    void shownChanged(int shown);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int RowHeight() const;
    QSize Size(int rows) const;
    void Place();

    int columns_;
    int designRows_;
    int spacing_ = 4;
    int shown_ = 0;
    std::vector<QWidget*> panels_;
};

} // namespace quadrel
