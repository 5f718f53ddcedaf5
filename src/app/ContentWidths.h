#pragma once

#include <QObject>

#include <vector>

class QTreeView;

namespace quadrel {

// The columns of a list sized to their contents. Qt's own sizing measures
// every row again whenever a cell changes, and a reply fills a whole column:
// the unit would wait for that, and the painting after it. Here the cells
// that changed are noted as the list reports them and measured once, after
// the handler that changed them: a column widens to fit its widest cell, and
// is measured afresh when rows go away or the columns change.
class ContentWidths : public QObject {
public:
    // Lives as long as `view`, whose child it becomes.
    explicit ContentWidths(QTreeView* view);

private:
    struct Cells {
        int firstRow;
        int lastRow;
        int firstColumn;
        int lastColumn;
    };

    bool event(QEvent* e) override;
    void Note(const Cells& cells);
    void NoteAll();
    void Schedule();
    void Measure();

    QTreeView* view_;
    std::vector<Cells> changed_;
    bool all_ = true;
    bool scheduled_ = false;
};

} // namespace quadrel
