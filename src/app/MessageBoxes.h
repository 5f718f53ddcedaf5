#pragma once

#include <QString>

class QWidget;

namespace quadrel {

// The program's two messages ("Can not found COM port", "Can not open COM"
// and the number) go through here, so tests can answer them.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A message with an OK button only; returns when the operator has seen it.
    virtual void MsgBox(QWidget* parent, const QString& text) = 0;
};

} // namespace quadrel
