#pragma once

#include "app/MessageBoxes.h"

#include <QMessageBox>

namespace quadrel {

class QtMessageBoxes : public MessageBoxes {
public:
    void MsgBox(QWidget* parent, const QString& text) override {
        QMessageBox::information(parent, QStringLiteral("Quadrel"), text, QMessageBox::Ok);
    }
};

} // namespace quadrel
