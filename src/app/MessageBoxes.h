#pragma once

#include <QString>

class QWidget;

namespace quadrel {

// The program's messages ("Can not found COM port", "Can not open COM" and
// the number) and its questions go through here, so tests can answer them.
class MessageBoxes {
public:
    // A question with a button of its own caption, Cancel, and a "Do not ask
    // again" box; `details` is shown below the text.
    struct Question {
        QString text;
        QString details;
        QString yesCaption;
    };
    struct Answer {
        bool yes = false;
        bool dontAskAgain = false;
    };

    virtual ~MessageBoxes() = default;
    // A message with an OK button only; returns when the operator has seen it.
    virtual void MsgBox(QWidget* parent, const QString& text) = 0;
    virtual Answer Ask(QWidget* parent, const Question& question) = 0;
};

} // namespace quadrel
