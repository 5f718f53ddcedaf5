#pragma once

#include "link/CommandCodes.h"
#include "model/UnitNames.h"

#include <QHash>
#include <QTreeWidget>

namespace quadrel {

// The contents of one memory preset (lstMemory), a row per output. Values
// the unit gave are blue; "None" (nothing routed) and "Unknow" (the unit
// cannot tell) are red.
class MemoryRowList : public QTreeWidget {
    Q_OBJECT
public:
    explicit MemoryRowList(QWidget* parent = nullptr);

    QTreeWidgetItem* AddMemoryRow(int output);
    QTreeWidgetItem* FindMemoryRow(int output) const;
    void ClearRows();
    int RowCount() const { return topLevelItemCount(); }

    void SetMemoryRowInput(SignalKind kind, int output, int input);
    void SetMemoryRowMuteStatus(int output, bool supported, int mute);
    // Volume, bass, treble, subwoofer and delay: the value, or "Unknow".
    void SetMemoryRowLevel(const QString& cellKey, int output, bool supported, int32_t value);

    // Outputs and inputs with a name show it after their number.
    void ShowNames(const UnitNames& names);

    // The text and colour of a cell, found by row and cell key.
    QString CellText(int output, const QString& cellKey) const;
    QColor CellColour(int output, const QString& cellKey) const;

private:
    QTreeWidgetItem* RowFor(int output);
    void SetCell(int output, const QString& cellKey, const QString& text, bool value);

    // A cell's tool tip: the port's whole name, else what the column holds.
    QString TipOf(int column, NameKind kind, int port) const;
    QString Shown(NameKind kind, int port) const;

    QHash<QString, QTreeWidgetItem*> rows_;
    UnitNames names_;
};

} // namespace quadrel
