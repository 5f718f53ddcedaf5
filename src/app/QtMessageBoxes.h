#pragma once

#include "app/MessageBoxes.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace quadrel {

class QtMessageBoxes : public MessageBoxes {
public:
    void MsgBox(QWidget* parent, const QString& text) override {
        QMessageBox::information(parent, QStringLiteral("Quadrel"), text, QMessageBox::Ok);
    }
    Answer Ask(QWidget* parent, const Question& question) override {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Quadrel"), question.text,
                        QMessageBox::NoButton, parent);
        box.setTextFormat(Qt::PlainText);
        box.setInformativeText(question.details);
        // The details may carry names the operator typed: never markup.
        if (auto* details = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
            details->setTextFormat(Qt::PlainText);
        }
        // Room for a line per port rather than a narrow column (the label's
        // name is Qt's own; without it the box only wraps more).
        box.setStyleSheet(QStringLiteral("QLabel#qt_msgbox_informativelabel { min-width: 30em; }"));
        QPushButton* yes = box.addButton(question.yesCaption, QMessageBox::AcceptRole);
        // A stray Enter or Escape changes nothing.
        box.setDefaultButton(box.addButton(QMessageBox::Cancel));
        auto* never =
            new QCheckBox(QCoreApplication::translate("QtMessageBoxes", "Do not ask again"), &box);
        box.setCheckBox(never);
        box.exec();
        return {box.clickedButton() == yes, never->isChecked()};
    }
};

} // namespace quadrel
