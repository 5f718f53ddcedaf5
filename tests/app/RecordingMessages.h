#pragma once

#include "app/MessageBoxes.h"

#include <QStringList>

namespace quadrel::test {

// Answers every message at once and keeps its text.
class RecordingMessages : public MessageBoxes {
public:
    void MsgBox(QWidget*, const QString& text) override { texts << text; }
    QStringList texts;
};

} // namespace quadrel::test
