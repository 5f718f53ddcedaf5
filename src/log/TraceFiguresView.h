#pragma once

#include <QWidget>

#include <cstdint>

class QLabel;
class QTableWidget;

namespace quadrel {

class TraceFigures;

// The figures of each unit ID as a small table: requests, answers, replies
// refused, repeats, give-ups and bytes dropped while its answer was awaited.
// IDs a scan probed and found empty are one line below it, not rows of
// faults; so are bytes dropped while nothing was awaited.
class TraceFiguresView : public QWidget {
    Q_OBJECT
public:
    explicit TraceFiguresView(QWidget* parent = nullptr);

    // Redraws from `figures` when they changed since the last time.
    void Show(const TraceFigures& figures);

    QTableWidget* tblFigures() const { return table_; }
    QLabel* lblApart() const { return apart_; }

private:
    QTableWidget* table_ = nullptr;
    QLabel* apart_ = nullptr;
    uint64_t shown_ = ~uint64_t{0};
};

} // namespace quadrel
