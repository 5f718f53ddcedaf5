#pragma once

#include "model/SceneCapture.h"
#include "model/UnitNames.h"
#include "model/UnitSettings.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLineEdit;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace quadrel {

// "New scene from…": which units of the line, which of their outputs (and
// inputs, for EDID), and whether every setting or only routes are taken.
// Every output of every unit is ticked at first.
class SceneCaptureDialog : public QDialog {
    Q_OBJECT
public:
    struct Unit {
        UnitIdentity identity;
        UnitNames names;
    };
    SceneCaptureDialog(const std::vector<Unit>& units, const QString& name,
                       QWidget* parent = nullptr);

    // What the ticks ask for; no unit when nothing is ticked.
    SceneCapture request() const;
    // A capture asks all or some ports of a kind, never none: what it took
    // of the ports left unticked goes again.
    std::function<void(Scene&)> Trimmer() const;

    QLineEdit* txtName() const { return txtName_; }
    QTreeWidget* lstUnits() const { return lstUnits_; }
    // Everything, Routes, Audio routes, Video routes, in that order.
    QRadioButton* optWhat(SceneCapture::What what) const;
    // The tick of output (or input) `port` of unit `id`; null when none.
    QTreeWidgetItem* PortItem(int id, bool output, int port) const;

private:
    void WhatChanged();

    std::vector<Unit> units_;
    QLineEdit* txtName_ = nullptr;
    QTreeWidget* lstUnits_ = nullptr;
    std::vector<QRadioButton*> what_;
};

} // namespace quadrel
