#include "control/VideoInputPanel.h"

#include "control/PanelColours.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace quadrel {

VideoInputPanel::VideoInputPanel(int index, QWidget* parent)
    : QFrame(parent), chk_(new SelectBox(this)), fix_(new QRadioButton(tr("Fix"), this)),
      output1_(new QRadioButton(tr("Output 1"), this)), pair_(new QButtonGroup(this)) {
    const QString i = QString::number(index);
    setObjectName(QStringLiteral("picVideoInput_") + i);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    chk_->setObjectName(QStringLiteral("chkVideoInput_") + i);
    fix_->setObjectName(QStringLiteral("optFixEdid_") + i);
    output1_->setObjectName(QStringLiteral("optOutput1Edid_") + i);
    pair_->addButton(fix_, 0);
    pair_->addButton(output1_, 1);
    // The two options side by side: a panel two lines high, so four rows of
    // panels and the group fit on small screens.
    auto* options = new QHBoxLayout;
    options->setSpacing(8);
    options->addWidget(fix_);
    options->addWidget(output1_);
    options->addStretch(1);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(6, 3, 6, 4);
    box->setSpacing(1);
    box->addWidget(chk_);
    box->addLayout(options);
}

void VideoInputPanel::ShowType(int type) {
    if (type == 0) {
        fix_->setChecked(true);
    } else if (type == 1) {
        output1_->setChecked(true);
    }
}

void VideoInputPanel::ClearOptions() {
    // An exclusive pair keeps one option set; it lets go only while open.
    pair_->setExclusive(false);
    fix_->setChecked(false);
    output1_->setChecked(false);
    pair_->setExclusive(true);
}

void VideoInputPanel::Paint(const QColor& colour) {
    PanelColours::Paint(this, colour);
    PanelColours::Paint(fix_, colour);
    PanelColours::Paint(output1_, colour);
}

} // namespace quadrel
