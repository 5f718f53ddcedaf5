#include "app/MemoryRowList.h"

#include "app/ContentWidths.h"
#include "app/UnitRowTexts.h"
#include "log/Contrast.h"

namespace quadrel {

namespace {

const QColor kValueColour(0, 0, 255);
const QColor kMissingColour(255, 0, 0);
// The port a cell shows, kept beside its text for names given later.
constexpr int kPortRole = Qt::UserRole + 1;

} // namespace

MemoryRowList::MemoryRowList(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("lstMemory"));
    setAccessibleName(tr("Memory contents"));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setColumnCount(kMemoryColumns);
    QStringList headers;
    for (const ListColumn& column : MemoryColumns()) {
        headers << HeaderText(column);
    }
    setHeaderLabels(headers);
    new ContentWidths(this);
}

QTreeWidgetItem* MemoryRowList::AddMemoryRow(int output) {
    // Rows stand in port order whatever order the unit's answers come in (a
    // unit past 127 ports may answer for its upper ports first).
    int at = topLevelItemCount();
    while (at > 0 && topLevelItem(at - 1)->data(0, kPortRole).toInt() > output) {
        --at;
    }
    auto* item = new QTreeWidgetItem;
    insertTopLevelItem(at, item);
    item->setText(0, Shown(NameKind::Output, output));
    item->setToolTip(0, NameOf(names_, {NameKind::Output, output}));
    item->setData(0, kPortRole, output);
    item->setData(0, Qt::UserRole, OutputRowKey(output));
    for (int c = 1; c < kMemoryColumns; ++c) {
        item->setToolTip(c, ToolTipText(MemoryColumns()[static_cast<size_t>(c)]));
    }
    rows_.insert(OutputRowKey(output), item);
    return item;
}

QTreeWidgetItem* MemoryRowList::FindMemoryRow(int output) const {
    return rows_.value(OutputRowKey(output), nullptr);
}

void MemoryRowList::ClearRows() {
    rows_.clear();
    clear();
}

QTreeWidgetItem* MemoryRowList::RowFor(int output) {
    QTreeWidgetItem* item = RowCount() > 0 ? FindMemoryRow(output) : nullptr;
    return item ? item : AddMemoryRow(output);
}

void MemoryRowList::SetCell(int output, const QString& cellKey, const QString& text, bool value) {
    QTreeWidgetItem* item = RowFor(output);
    const int column = MemoryColumnOf(cellKey);
    item->setText(column, text);
    // Blue and red as given, unless the list's base (a dark palette) would
    // swallow them: then a lighter shade of each.
    item->setForeground(column, Contrast::Readable(value ? kValueColour : kMissingColour,
                                                   palette().color(QPalette::Base)));
}

void MemoryRowList::SetMemoryRowInput(SignalKind kind, int output, int input) {
    const QString key =
        kind == SignalKind::Video ? QStringLiteral("VIDEO") : QStringLiteral("AUDIO");
    if (input != 0) {
        SetCell(output, key, Shown(NameKind::Input, input), true);
        FindMemoryRow(output)->setToolTip(MemoryColumnOf(key),
                                          TipOf(MemoryColumnOf(key), NameKind::Input, input));
        FindMemoryRow(output)->setData(MemoryColumnOf(key), kPortRole, input);
    } else {
        SetCell(output, key, tr("None"), false);
        FindMemoryRow(output)->setData(MemoryColumnOf(key), kPortRole, QVariant());
    }
}

void MemoryRowList::SetMemoryRowMuteStatus(int output, bool supported, int mute) {
    if (!supported) {
        SetCell(output, QStringLiteral("Mute Status"), tr("Unknown"), false);
        return;
    }
    SetCell(output, QStringLiteral("Mute Status"), mute == 1 ? tr("Mute") : tr("Unmute"), true);
}

void MemoryRowList::SetMemoryRowLevel(const QString& cellKey, int output, bool supported,
                                      int32_t value) {
    if (!supported) {
        SetCell(output, cellKey, tr("Unknown"), false);
        return;
    }
    SetCell(output, cellKey, QString::number(value), true);
}

QString MemoryRowList::TipOf(int column, NameKind kind, int port) const {
    const QString name = NameOf(names_, {kind, port});
    return name.isEmpty() && column > 0 ? ToolTipText(MemoryColumns()[static_cast<size_t>(column)])
                                        : name;
}

QString MemoryRowList::Shown(NameKind kind, int port) const {
    // A name cut short, so that a long one never pushes the levels out of
    // view; whole in the cell's tool tip.
    constexpr int kLongest = 14;
    QString name = NameOf(names_, {kind, port});
    if (name.size() > kLongest) {
        name = name.left(kLongest - 1) + QChar(0x2026);
    }
    return name.isEmpty() ? QString::number(port)
                          : QStringLiteral("%1 %2").arg(QString::number(port), name);
}

void MemoryRowList::ShowNames(const UnitNames& names) {
    if (names == names_) {
        return;
    }
    names_ = names;
    const std::pair<int, NameKind> cells[] = {
        {0, NameKind::Output},
        {MemoryColumnOf(QStringLiteral("VIDEO")), NameKind::Input},
        {MemoryColumnOf(QStringLiteral("AUDIO")), NameKind::Input}};
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        for (const auto& [column, kind] : cells) {
            if (const QVariant port = item->data(column, kPortRole); port.isValid()) {
                item->setText(column, Shown(kind, port.toInt()));
                item->setToolTip(column, TipOf(column, kind, port.toInt()));
            }
        }
    }
}

QString MemoryRowList::CellText(int output, const QString& cellKey) const {
    const QTreeWidgetItem* item = FindMemoryRow(output);
    const int column = MemoryColumnOf(cellKey);
    return item && column >= 0 ? item->text(column) : QString();
}

QColor MemoryRowList::CellColour(int output, const QString& cellKey) const {
    const QTreeWidgetItem* item = FindMemoryRow(output);
    const int column = MemoryColumnOf(cellKey);
    return item && column >= 0 ? item->foreground(column).color() : QColor();
}

} // namespace quadrel
