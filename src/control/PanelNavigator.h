#pragma once

#include <QObject>

#include <functional>
#include <vector>

class QScrollBar;
class QWidget;

namespace quadrel {

// The keyboard and the wheel over a page's window of port panels. On a
// panel's box the arrow keys move the focus to the box in their direction
// and scroll the window at its edge; Page Up and Page Down move the window by
// a whole page. The wheel over the panels scrolls a row of them per notch.
// The scroll bar takes focus like any control and comes after the panels
// in the Tab order.
class PanelNavigator : public QObject {
public:
    // `boxes` are the panels' boxes in reading order, `columns` of them to a
    // row; `count` tells how many ports the selected unit has.
    PanelNavigator(QWidget* area, QScrollBar* bar, std::vector<QWidget*> boxes, int columns,
                   std::function<int()> count);

    // How many of the boxes are on screen, from the first (all, unless told).
    void setShown(int shown) { shown_ = shown; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PutBarAfterPanels();
    bool KeyOnBox(int position, int key);
    bool Wheel(int notches);

    QWidget* area_;
    QScrollBar* bar_;
    std::vector<QWidget*> boxes_;
    int columns_;
    int shown_;
    std::function<int()> count_;
};

} // namespace quadrel
