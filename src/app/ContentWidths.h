#pragma once

#include <QHeaderView>
#include <QTimer>
#include <QTreeView>

namespace quadrel {

// The columns of a list sized to their contents. Qt measures every row again
// for each cell that changes, and a reply fills a whole column: the unit
// would wait for that. Hold() before changing cells keeps the widths until
// the handler is over; they then follow the contents once.
class ContentWidths {
public:
    explicit ContentWidths(QTreeView* view) : view_(view) {
        view_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    }

    void Hold() {
        if (held_) {
            return;
        }
        held_ = true;
        view_->header()->setSectionResizeMode(QHeaderView::Fixed);
        QTimer::singleShot(0, view_, [this] {
            held_ = false;
            view_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        });
    }

private:
    QTreeView* view_;
    bool held_ = false;
};

} // namespace quadrel
