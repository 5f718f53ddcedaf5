#include "app/ContentWidths.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QTreeView>

#include <algorithm>
#include <utility>

namespace quadrel {

namespace {

const QEvent::Type kMeasure = static_cast<QEvent::Type>(QEvent::registerEventType());

} // namespace

ContentWidths::ContentWidths(QTreeView* view) : QObject(view), view_(view) {
    view_->header()->setSectionResizeMode(QHeaderView::Fixed);
    QAbstractItemModel* model = view_->model();
    connect(
        model, &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
            if (!topLeft.parent().isValid()) {
                Note({topLeft.row(), bottomRight.row(), topLeft.column(), bottomRight.column()});
            }
        });
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent, int first, int last) {
                if (!parent.isValid()) {
                    Note({first, last, 0, view_->model()->columnCount() - 1});
                }
            });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { NoteAll(); });
    connect(model, &QAbstractItemModel::rowsMoved, this, [this] { NoteAll(); });
    connect(model, &QAbstractItemModel::columnsInserted, this, [this] { NoteAll(); });
    connect(model, &QAbstractItemModel::columnsRemoved, this, [this] { NoteAll(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { NoteAll(); });
    connect(model, &QAbstractItemModel::layoutChanged, this, [this] { NoteAll(); });
    connect(model, &QAbstractItemModel::headerDataChanged, this, [this] { NoteAll(); });
    Schedule();
}

void ContentWidths::Note(const Cells& cells) {
    if (!all_) {
        changed_.push_back(cells);
    }
    Schedule();
}

void ContentWidths::NoteAll() {
    all_ = true;
    changed_.clear();
    Schedule();
}

void ContentWidths::Schedule() {
    if (scheduled_) {
        return;
    }
    scheduled_ = true;
    // Ahead of the painting that the same changes asked for, so the list is
    // painted once, at its new widths.
    QCoreApplication::postEvent(this, new QEvent(kMeasure), Qt::HighEventPriority);
}

bool ContentWidths::event(QEvent* e) {
    if (e->type() != kMeasure) {
        return QObject::event(e);
    }
    scheduled_ = false;
    Measure();
    return true;
}

void ContentWidths::Measure() {
    QHeaderView* header = view_->header();
    const QAbstractItemModel* model = view_->model();
    const int columns = model->columnCount();
    const int rows = model->rowCount();
    std::vector<int> widths(static_cast<size_t>(std::max(columns, 0)), 0);
    auto measure = [&](const Cells& cells) {
        for (int c = std::max(cells.firstColumn, 0); c <= std::min(cells.lastColumn, columns - 1);
             ++c) {
            int& w = widths[static_cast<size_t>(c)];
            for (int r = std::max(cells.firstRow, 0); r <= std::min(cells.lastRow, rows - 1); ++r) {
                w = std::max(w, view_->sizeHintForIndex(model->index(r, c)).width());
            }
        }
    };
    const bool all = std::exchange(all_, false);
    if (all) {
        for (int c = 0; c < columns; ++c) {
            widths[static_cast<size_t>(c)] = header->sectionSizeHint(c);
        }
        measure({0, rows - 1, 0, columns - 1});
    } else {
        for (const Cells& cells : changed_) {
            measure(cells);
        }
    }
    changed_.clear();
    for (int c = 0; c < columns; ++c) {
        const int w = widths[static_cast<size_t>(c)];
        if (all ? w != header->sectionSize(c) : w > header->sectionSize(c)) {
            header->resizeSection(c, w);
        }
    }
}

} // namespace quadrel
