#pragma once

#include <QTreeWidget>

namespace quadrel {

// The unit list's widget: tells when the operator moved the current row
// with the keyboard (arrows, Page keys, Home, End, typing a row's text), as
// apart from the program's own moves, which report nothing.
class UnitList : public QTreeWidget {
    Q_OBJECT
public:
    using QTreeWidget::QTreeWidget;

signals:
    void keyMoved(QTreeWidgetItem* current);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace quadrel
