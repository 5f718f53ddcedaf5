#include "control/LevelBar.h"

#include "control/AudioRules.h"

#include <QEvent>

#include <algorithm>

namespace quadrel {

LevelBar::LevelBar(const QString& borderName, const QString& levelName, QColor fill,
                   QWidget* parent)
    : QWidget(parent), border_(new QFrame(this)), level_(new QWidget(this)) {
    border_->setObjectName(borderName);
    border_->setFrameStyle(QFrame::Box | QFrame::Plain);
    border_->setLineWidth(1);
    level_->setObjectName(levelName);
    fill_ = fill;
    SetFill();
    level_->setAutoFillBackground(true);
    level_->raise();
    setMinimumHeight(8);
    ShowDisabled();
}

void LevelBar::SetOutline(const QColor& c) {
    // Replies redraw every bar; a palette set anew costs as much as a change.
    if (outline_ == c) {
        return;
    }
    outline_ = c;
    QPalette p = border_->palette();
    p.setColor(QPalette::WindowText, c);
    border_->setPalette(p);
}

void LevelBar::ShowValue(int64_t value, int64_t fullScale) {
    // Every poll redraws every bar; most show what they showed.
    if (level_->isVisibleTo(this) && value == value_ && fullScale == fullScale_) {
        return;
    }
    value_ = value;
    fullScale_ = fullScale;
    SetOutline(Qt::black);
    //: a bar's value for screen readers: "40 of 100"
    SetDescription(tr("%1 of %2").arg(value).arg(fullScale));
    Place();
    level_->setVisible(true);
}

void LevelBar::ShowDisabled() {
    SetOutline(QColor(224, 224, 224));
    SetDescription(QString());
    level_->setVisible(false);
}

void LevelBar::ShowUnknown() {
    SetOutline(Qt::black);
    //: a bar whose value the unit has not reported
    SetDescription(tr("unknown"));
    level_->setVisible(false);
}

void LevelBar::SetDescription(const QString& text) {
    if (accessibleDescription() != text) {
        setAccessibleDescription(text);
    }
}

void LevelBar::SetFill() {
    QColor colour = fill_;
    if (!isEnabled()) {
        colour.setHsv(fill_.hsvHue(), fill_.hsvSaturation() / 4, std::min(fill_.value(), 200));
    }
    QPalette p = level_->palette();
    p.setColor(QPalette::Window, colour);
    level_->setPalette(p);
}

void LevelBar::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) {
        SetFill();
    }
}

void LevelBar::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    Place();
}

void LevelBar::Place() {
    border_->setGeometry(rect());
    const QRect b = border_->geometry();
    level_->setGeometry(b.x(), b.y(), AudioRules::BarWidth(value_, b.width(), fullScale_),
                        b.height());
}

} // namespace quadrel
