#pragma once

#include "model/UnitNames.h"

#include <QDialog>

#include <functional>

class QLabel;
class QTableWidget;

namespace quadrel {

// The names table of the selected unit: a row per port (the unit, its
// inputs, outputs and presets) and its name, with CSV import and export.
// Nothing is kept until OK.
class NamesDialog : public QDialog {
    Q_OBJECT
public:
    struct Counts {
        int inputs = 0, outputs = 0, presets = 0;
    };
    NamesDialog(const QString& title, const UnitNames& names, Counts counts,
                QWidget* parent = nullptr);

    // The file to import from (save false) or export to; empty gives up. A
    // test answers it.
    std::function<QString(bool save)> chooseFile;

    // The names as the table holds them; names of ports beyond the counts
    // are kept as they were.
    UnitNames names() const;
    QTableWidget* table() const { return table_; }
    // What the last import or export said.
    QLabel* note() const { return note_; }

    bool ImportFrom(const QString& path);
    bool ExportTo(const QString& path);

private:
    void Fill(const UnitNames& names);

    UnitNames original_;
    Counts counts_;
    QTableWidget* table_;
    QLabel* note_;
};

} // namespace quadrel
