#include "app/UnitList.h"

namespace quadrel {

void UnitList::keyPressEvent(QKeyEvent* event) {
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    if (currentItem() != before && currentItem() != nullptr) {
        emit keyMoved(currentItem());
    }
}

} // namespace quadrel
