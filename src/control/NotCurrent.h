#pragma once

#include "log/Contrast.h"

#include <QLabel>
#include <QPalette>

namespace quadrel {

// The caption of a page whose values are a silent unit's last known ones:
// it must read plainly on the page it stands on, which is disabled then.
inline void NotCurrentLook(QLabel* label) {
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    QPalette p = label->palette();
    const QColor text = Contrast::Readable(QColor(176, 0, 0), p.color(QPalette::Window));
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::WindowText, text);
    }
    label->setPalette(p);
    label->hide();
}

} // namespace quadrel
