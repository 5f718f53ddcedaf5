#include "control/AudioOutputPanel.h"

#include "control/MutePicture.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace quadrel {

namespace {

struct RowLook {
    const char* name; // the stem of the control names
    const char* caption;
    QColor fill;
};

const std::array<RowLook, AudioOutputPanel::RowCount>& Looks() {
    static const std::array<RowLook, AudioOutputPanel::RowCount> looks{{
        {"Volumn", "Volume", QColor(255, 255, 0)},
        {"Bass", "Bass", QColor(0, 255, 0)},
        {"Treble", "Treble", QColor(0, 0, 255)},
        {"Subwoofer", "SW", QColor(255, 128, 0)},
        {"Delay", "Delay", QColor(255, 0, 255)},
    }};
    return looks;
}

} // namespace

AudioOutputPanel::AudioOutputPanel(int index, QWidget* parent)
    : QFrame(parent), chk_(new SelectBox(this)), img_(new QLabel(this)) {
    const QString i = QString::number(index);
    setObjectName(QStringLiteral("picAudioOutput_") + i);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    chk_->setObjectName(QStringLiteral("chkAudioOutput_") + i);
    img_->setObjectName(QStringLiteral("imgMute_") + i);
    img_->setFixedSize(22, 18);

    auto* top = new QHBoxLayout;
    top->addWidget(chk_);
    top->addStretch(1);
    top->addWidget(img_);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    for (int r = 0; r < RowCount; ++r) {
        const RowLook& look = Looks()[static_cast<size_t>(r)];
        const QString stem = QString::fromLatin1(look.name);
        BarRow& row = rows_[static_cast<size_t>(r)];
        row.caption = new QLabel(QString::fromLatin1(look.caption), this);
        row.caption->setObjectName(QStringLiteral("lbl%1Caption_%2").arg(stem, i));
        row.bar = new LevelBar(QStringLiteral("shp%1Border_%2").arg(stem, i),
                               QStringLiteral("shp%1Level_%2").arg(stem, i), look.fill, this);
        row.bar->setFixedHeight(11);
        row.bar->setAccessibleName(QStringLiteral("%1 bar").arg(QString::fromLatin1(look.caption)));
        row.number = new QLabel(this);
        row.number->setObjectName(r == Delay ? QStringLiteral("lblDelayTime_") + i
                                             : QStringLiteral("lbl%1Level_%2").arg(stem, i));
        row.number->setMinimumWidth(r == Delay ? 64 : 28);
        row.number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(row.caption, r, 0);
        grid->addWidget(row.bar, r, 1);
        grid->addWidget(row.number, r, 2);
    }
    grid->setColumnStretch(1, 1);

    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(6, 3, 6, 5);
    box->setSpacing(2);
    box->addLayout(top);
    box->addLayout(grid);
    ShowMutePicture(MuteKey(0));
}

void AudioOutputPanel::ShowMutePicture(const QString& key) {
    // Drawing the picture is the dear part, and most replies change nothing.
    if (key == shownKey_ && img_->size() == shownSize_) {
        return;
    }
    shownKey_ = key;
    shownSize_ = img_->size();
    img_->setPixmap(MutePicture(key, shownSize_));
    img_->setProperty("imageKey", key);
    img_->setAccessibleName(QStringLiteral("Mute status"));
    img_->setAccessibleDescription(key);
}

} // namespace quadrel
