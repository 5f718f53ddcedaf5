#include "control/VideoInputPanel.h"

#include "control/PanelColours.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace quadrel {

VideoInputPanel::VideoInputPanel(int index, QWidget* parent)
    : QFrame(parent), chk_(new SelectBox(this)), plug_(new QLabel(this)),
      fix_(new QRadioButton(tr("Fixed EDID"), this)),
      output1_(new QRadioButton(tr("EDID of output 1"), this)), pair_(new QButtonGroup(this)) {
    const QString i = QString::number(index);
    setObjectName(QStringLiteral("picVideoInput_") + i);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    chk_->setObjectName(QStringLiteral("chkVideoInput_") + i);
    plug_->setObjectName(QStringLiteral("lblVideoInputPlug_") + i);
    plug_->setTextFormat(Qt::PlainText);
    fix_->setObjectName(QStringLiteral("optFixEdid_") + i);
    fix_->setToolTip(tr("The unit shows the source on this input its own fixed EDID"));
    output1_->setObjectName(QStringLiteral("optOutput1Edid_") + i);
    output1_->setToolTip(
        tr("The unit passes on to the source on this input the EDID of the display on output 1"));
    pair_->addButton(fix_, 0);
    pair_->addButton(output1_, 1);
    // The box with the plug state, then the two options side by side: a
    // panel two lines high, so four rows of panels and the group fit on
    // small screens.
    auto* head = new QHBoxLayout;
    head->setSpacing(8);
    head->addWidget(chk_);
    head->addStretch(1);
    head->addWidget(plug_);
    auto* options = new QHBoxLayout;
    options->setSpacing(8);
    options->addWidget(fix_);
    options->addWidget(output1_);
    options->addStretch(1);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(6, 3, 6, 4);
    box->setSpacing(1);
    box->addLayout(head);
    box->addLayout(options);
}

void VideoInputPanel::ShowPlug(int input, Plug plug) {
    QString text;
    QString tip;
    switch (plug) {
    case Plug::None:
        break;
    case Plug::Plugged:
        text = tr("Plugged");
        tip = tr("Input %1: a source is plugged in").arg(input);
        break;
    case Plug::Unplugged:
        text = tr("Unplugged");
        tip = tr("Input %1: nothing is plugged in").arg(input);
        break;
    case Plug::Unknown:
        text = tr("Plug unknown");
        tip = tr("Input %1: the unit has not reported its plug yet").arg(input);
        break;
    }
    // Every poll redraws every panel; most show what they showed.
    if (plug_->text() != text) {
        plug_->setText(text);
        plug_->setAccessibleName(text.isEmpty() ? QString() : tip);
    }
    if (plug_->toolTip() != tip) {
        plug_->setToolTip(tip);
    }
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
