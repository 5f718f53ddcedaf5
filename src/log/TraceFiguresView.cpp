#include "log/TraceFiguresView.h"

#include "log/FrameWords.h"
#include "log/TraceFigures.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quadrel {

namespace {
constexpr int kColumns = 7;
} // namespace

TraceFiguresView::TraceFiguresView(QWidget* parent) : QWidget(parent) {
    table_ = new QTableWidget(0, kColumns, this);
    table_->setObjectName(QStringLiteral("tblFigures"));
    table_->setAccessibleName(tr("Figures per unit"));
    table_->setHorizontalHeaderLabels({tr("Unit"), tr("Requests"), tr("Answers"), tr("Refused"),
                                       tr("Repeats"), tr("Give-ups"), tr("Dropped bytes")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setFocusPolicy(Qt::NoFocus);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    apart_ = new QLabel(this);
    apart_->setObjectName(QStringLiteral("lblApart"));
    apart_->setWordWrap(true);
    apart_->setToolTip(tr("Nothing is counted while the log window is closed and the trace "
                          "stopped."));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addWidget(table_, 1);
    column->addWidget(apart_);
}

void TraceFiguresView::Show(const TraceFigures& figures) {
    if (figures.revision() == shown_) {
        return;
    }
    shown_ = figures.revision();
    const std::vector<uint8_t> ids = figures.UnitsShown();
    table_->setRowCount(static_cast<int>(ids.size()));
    for (int row = 0; row < static_cast<int>(ids.size()); ++row) {
        const uint8_t id = ids[static_cast<size_t>(row)];
        const UnitFigures& f = figures.unit(id);
        const int values[kColumns] = {0,         f.requests, f.answers,     f.refused,
                                      f.repeats, f.givenUp,  f.droppedBytes};
        for (int c = 0; c < kColumns; ++c) {
            const QString text = c == 0 ? FrameWords::IdRanges({id}) : QString::number(values[c]);
            QTableWidgetItem* item = table_->item(row, c);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                table_->setItem(row, c, item);
            }
            if (item->text() != text) {
                item->setText(text);
            }
        }
    }
    QStringList apart;
    if (figures.since().isValid()) {
        apart << tr("Counted since %1").arg(figures.since().toString(QStringLiteral("HH:mm:ss")));
    }
    const std::vector<uint8_t> empty = figures.EmptyIds();
    if (!empty.empty()) {
        apart << tr("No unit at %1").arg(FrameWords::IdRanges(empty));
    }
    if (figures.droppedIdle() > 0) {
        apart << tr("Bytes dropped while no answer was awaited: %1").arg(figures.droppedIdle());
    }
    apart_->setText(apart.join(QStringLiteral("; ")));
    apart_->setVisible(!apart.isEmpty());
}

} // namespace quadrel
