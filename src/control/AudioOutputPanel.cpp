#include "control/AudioOutputPanel.h"

#include "control/MutePicture.h"
#include "model/UnitNames.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace quadrel {

namespace {

// Captions in the panel's own context, so tr() finds them.
struct RowLook {
    const char* name; // the stem of the control names
    const char* caption;
    const char* barName; // for screen readers
    QColor fill;
};

const std::array<RowLook, AudioOutputPanel::RowCount>& Looks() {
    static const std::array<RowLook, AudioOutputPanel::RowCount> looks{{
        {"Volumn", QT_TRANSLATE_NOOP("quadrel::AudioOutputPanel", "Volume"),
         QT_TRANSLATE_NOOP("quadrel::AudioOutputPanel", "Volume bar"), QColor(255, 255, 0)},
        {"Bass", QT_TRANSLATE_NOOP("quadrel::AudioOutputPanel", "Bass"),
         QT_TRANSLATE_NOOP("quadrel::AudioOutputPanel", "Bass bar"), QColor(0, 255, 0)},
        {"Treble", QT_TRANSLATE_NOOP("quadrel::AudioOutputPanel", "Treble"),
         QT_TRANSLATE_NOOP("quadrel::AudioOutputPanel", "Treble bar"), QColor(0, 0, 255)},
        //: short for subwoofer, in a narrow column
        {"Subwoofer", QT_TRANSLATE_NOOP("quadrel::AudioOutputPanel", "SW"),
         QT_TRANSLATE_NOOP("quadrel::AudioOutputPanel", "SW bar"), QColor(255, 128, 0)},
        {"Delay", QT_TRANSLATE_NOOP("quadrel::AudioOutputPanel", "Delay"),
         QT_TRANSLATE_NOOP("quadrel::AudioOutputPanel", "Delay bar"), QColor(255, 0, 255)},
    }};
    return looks;
}

} // namespace

AudioOutputPanel::AudioOutputPanel(int index, QWidget* parent)
    : QFrame(parent), chk_(new SelectBox(this)), img_(new MuteImage(this)) {
    const QString i = QString::number(index);
    setObjectName(QStringLiteral("picAudioOutput_") + i);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    chk_->setObjectName(QStringLiteral("chkAudioOutput_") + i);
    img_->setObjectName(QStringLiteral("imgMute_") + i);
    img_->setAccessibleName(tr("Mute status"));

    // The box and the mute picture stand left of the five rows, so a panel
    // is five lines high and four rows of panels fit on small screens.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 3, 6, 3);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    const QFontMetrics metrics = fontMetrics();
    // The same width whatever the output is called: a name never shortens
    // the panel's bars.
    QStyleOptionButton option;
    option.initFrom(chk_);
    const int indicator =
        chk_->style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, chk_) +
        chk_->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, chk_);
    chk_->setFixedWidth(indicator + CaptionRoom(metrics) + 4);
    grid->addWidget(chk_, 0, 0, 2, 1, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(img_, 2, 0, 2, 1, Qt::AlignLeft | Qt::AlignTop);
    for (int r = 0; r < RowCount; ++r) {
        const RowLook& look = Looks()[static_cast<size_t>(r)];
        const QString stem = QString::fromLatin1(look.name);
        BarRow& row = rows_[static_cast<size_t>(r)];
        row.caption = new QLabel(tr(look.caption), this);
        row.caption->setObjectName(QStringLiteral("lbl%1Caption_%2").arg(stem, i));
        row.bar = new LevelBar(QStringLiteral("shp%1Border_%2").arg(stem, i),
                               QStringLiteral("shp%1Level_%2").arg(stem, i), look.fill, this);
        row.bar->setFixedHeight(std::max(11, metrics.height() * 2 / 3));
        row.bar->setAccessibleName(tr(look.barName));
        row.number = new QLabel(this);
        row.number->setObjectName(r == Delay ? QStringLiteral("lblDelayTime_") + i
                                             : QStringLiteral("lbl%1Level_%2").arg(stem, i));
        // The widest value of the row, in the interface font, so the column
        // neither clips nor jumps as values change.
        row.number->setMinimumWidth(
            metrics.horizontalAdvance(r == Delay ? DelayText(65535) : QStringLiteral("100")) + 2);
        row.number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(row.caption, r, 1);
        grid->addWidget(row.bar, r, 2);
        grid->addWidget(row.number, r, 3);
    }
    grid->setColumnStretch(2, 1);
    ShowMutePicture(MuteKey(0));
}

int AudioOutputPanel::CaptionRoom(const QFontMetrics& metrics) {
    return metrics.horizontalAdvance(PortCaption({NameKind::Output, 255}) + QLatin1Char(' ')) +
           metrics.averageCharWidth() * 12;
}

QString AudioOutputPanel::DelayText(int64_t milliseconds) {
    return tr("%1 ms").arg(milliseconds);
}

void AudioOutputPanel::ShowMutePicture(const QString& key) {
    img_->setKey(key);
}

} // namespace quadrel
