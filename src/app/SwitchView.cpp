#include "app/SwitchView.h"

#include "app/CrosspointCell.h"
#include "app/HoverFrame.h"
#include "app/OutputSelection.h"
#include "app/PictureBox.h"
#include "app/SwitchGrid.h"
#include "link/Timer.h"
#include "model/QuadrelCore.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <chrono>

namespace quadrel {

using namespace std::chrono_literals;

namespace {

constexpr int kPlugSize = 14;
constexpr int kBarThickness = 16;

} // namespace

SwitchView::SwitchView(QuadrelCore& core, Views& views, TimerFactory& timers, QWidget* parent)
    : QWidget(parent), core_(core), views_(views), timSelected_(timers.createTimer(100ms)),
      keys_(ImageKeys()) {
    setObjectName(QStringLiteral("SwitchView"));
    pitch_ = grid::PitchFor(fontMetrics().horizontalAdvance(QStringLiteral("000")),
                            fontMetrics().height());
    BuildInputRow();
    BuildOutputColumn();
    picSwitchBackground_ = new SwitchGrid(pitch_, this);

    auto* page = new QGridLayout(this);
    page->setSpacing(2);
    page->addWidget(picInput_, 0, 2);
    page->addWidget(scoSwitchInput_, 1, 2);
    page->addWidget(picOutput_, 2, 0);
    page->addWidget(scoSwitchOutput_, 2, 1);
    page->addWidget(picSwitchBackground_, 2, 2);
    page->addWidget(BuildSideControls(), 0, 3, 3, 1);
    page->setRowStretch(3, 1);
    page->setColumnStretch(4, 1);

    // Grid construction: cells start enabled, the frame hidden, bars dark red.
    for (int k = 0; k < grid::kCells; ++k) {
        picSwitchBackground_->cell(k)->setKey(keys_.SwitchKeys[0]);
        picSwitchBackground_->cell(k)->setAccessibleName(
            QStringLiteral("input %1, output %2").arg(grid::Column(k) + 1).arg(grid::Row(k) + 1));
    }
    timSelected_->stop();
    timSelected_->setOnTick([this] { timSelected_Timer(); });
    ConnectHandlers();
    SetTabOrder();
}

// The cells outlive this object's members by a moment (the base class
// deletes them); a hover ending then must not reach timSelected.
SwitchView::~SwitchView() {
    for (int k = 0; k < grid::kCells; ++k) {
        disconnect(picSwitchBackground_->cell(k), nullptr, this, nullptr);
    }
}

void SwitchView::BuildInputRow() {
    // Sizes follow the pitch and the font; at the design font they are the
    // design's (buttons 30 by 24 under a 16-pixel caption).
    const int side = grid::BackgroundSize(pitch_);
    const int captionHeight = std::max(16, fontMetrics().height());
    const int buttonHeight = std::max(24, fontMetrics().height() + 8);
    const int plugTop = captionHeight + buttonHeight + 2;
    picInput_ = new QWidget(this);
    picInput_->setObjectName(QStringLiteral("picInput"));
    picInput_->setFixedSize(side, plugTop + kPlugSize + 2);
    lblInput_ = new QLabel(QStringLiteral("INPUT"), picInput_);
    lblInput_->setObjectName(QStringLiteral("lblInput"));
    lblInput_->setTextFormat(Qt::PlainText);
    lblInput_->setAlignment(Qt::AlignCenter);
    lblInput_->setGeometry(0, 0, side, captionHeight);
    for (int c = 0; c < grid::kSide; ++c) {
        const int x = c * pitch_;
        auto* button = new QPushButton(grid::PortCaption(c + 1), picInput_);
        button->setObjectName(QStringLiteral("chkSwitchInput_%1").arg(c));
        button->setCheckable(true);
        button->setGeometry(x + 4, captionHeight, pitch_ - 2, buttonHeight);
        button->installEventFilter(this);
        chkSwitchInput_[static_cast<size_t>(c)] = button;
        auto* video = new PictureBox(picInput_);
        video->setObjectName(QStringLiteral("imgVideoInPlug_%1").arg(c));
        video->setGeometry(x + 5, plugTop, kPlugSize, kPlugSize);
        imgVideoInPlug_[static_cast<size_t>(c)] = video;
        auto* audio = new PictureBox(picInput_);
        audio->setObjectName(QStringLiteral("imgAudioInPlug_%1").arg(c));
        audio->setGeometry(x + 20, plugTop, kPlugSize, kPlugSize);
        imgAudioInPlug_[static_cast<size_t>(c)] = audio;
    }
    scoSwitchInput_ = new QScrollBar(Qt::Horizontal, this);
    scoSwitchInput_->setObjectName(QStringLiteral("scoSwitchInput"));
    scoSwitchInput_->setAccessibleName(QStringLiteral("input scroll"));
    scoSwitchInput_->setFixedSize(side, kBarThickness);
    scoSwitchInput_->setRange(0, 0);
    scoSwitchInput_->setPageStep(grid::kSide);
    scoSwitchInput_->setEnabled(false);
    scoSwitchInput_->setFocusPolicy(Qt::StrongFocus);
}

void SwitchView::BuildOutputColumn() {
    const int side = grid::BackgroundSize(pitch_);
    const int letters = std::max(16, fontMetrics().horizontalAdvance(QLatin1Char('W')) + 4);
    const int boxWidth = std::max(40, fontMetrics().horizontalAdvance(QStringLiteral("000")) + 14);
    const int plugLeft = letters + boxWidth + 2;
    picOutput_ = new QWidget(this);
    picOutput_->setObjectName(QStringLiteral("picOutput"));
    // Beside each box, what feeds its output: wide enough for "A255 V255".
    const int sourceLeft = plugLeft + kPlugSize + 4;
    const int sourceWidth = fontMetrics().horizontalAdvance(QStringLiteral("A255 V255")) + 8;
    sourceWidth_ = sourceWidth;
    picOutput_->setFixedSize(sourceLeft + sourceWidth, side);
    lblOutput_ = new QLabel(QStringLiteral("\n\n\nO\nU\nT\nP\nU\nT"), picOutput_);
    lblOutput_->setObjectName(QStringLiteral("lblOutput"));
    lblOutput_->setAccessibleName(QStringLiteral("OUTPUT"));
    lblOutput_->setTextFormat(Qt::PlainText);
    lblOutput_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblOutput_->setGeometry(0, 0, letters, side);
    for (int r = 0; r < grid::kSide; ++r) {
        const int y = r * pitch_;
        auto* box = new QPushButton(grid::PortCaption(r + 1), picOutput_);
        box->setObjectName(QStringLiteral("chkSwitchOutput_%1").arg(r));
        box->setCheckable(true);
        box->setGeometry(letters, y + 4, boxWidth, pitch_ - 2);
        box->installEventFilter(this);
        // A ticked output must stand out from the others at a glance.
        box->setStyleSheet(
            QStringLiteral("QPushButton:checked { background: palette(highlight); color: "
                           "palette(highlighted-text);"
                           " border: 1px solid palette(dark); border-radius: 3px; }"));
        chkSwitchOutput_[static_cast<size_t>(r)] = box;
        auto* video = new PictureBox(picOutput_);
        video->setObjectName(QStringLiteral("imgVideoOutPlug_%1").arg(r));
        video->setGeometry(plugLeft, y + 4, kPlugSize, kPlugSize);
        imgVideoOutPlug_[static_cast<size_t>(r)] = video;
        auto* audio = new PictureBox(picOutput_);
        audio->setObjectName(QStringLiteral("imgAudioOutPlug_%1").arg(r));
        audio->setGeometry(plugLeft, y + 19, kPlugSize, kPlugSize);
        imgAudioOutPlug_[static_cast<size_t>(r)] = audio;
        auto* source = new QLabel(picOutput_);
        source->setObjectName(QStringLiteral("lblOutputSource_%1").arg(r));
        source->setTextFormat(Qt::PlainText);
        source->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        source->setGeometry(sourceLeft, y + 4, sourceWidth, pitch_ - 2);
        lblOutputSource_[static_cast<size_t>(r)] = source;
    }
    scoSwitchOutput_ = new QScrollBar(Qt::Vertical, this);
    scoSwitchOutput_->setObjectName(QStringLiteral("scoSwitchOutput"));
    scoSwitchOutput_->setAccessibleName(QStringLiteral("output scroll"));
    scoSwitchOutput_->setFixedSize(kBarThickness, side);
    scoSwitchOutput_->setRange(0, 0);
    scoSwitchOutput_->setPageStep(grid::kSide);
    scoSwitchOutput_->setEnabled(false);
    scoSwitchOutput_->setFocusPolicy(Qt::StrongFocus);
}

QWidget* SwitchView::BuildSideControls() {
    auto* side = new QWidget(this);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(6, 0, 0, 0);
    picSelSwitchType_ = new QWidget(side);
    picSelSwitchType_->setObjectName(QStringLiteral("picSelSwitchType"));
    auto* kinds = new QVBoxLayout(picSelSwitchType_);
    kinds->setContentsMargins(0, 0, 0, 0);
    chkSelSwitchAudio_ = new QCheckBox(QStringLiteral("A&udio"), picSelSwitchType_);
    chkSelSwitchAudio_->setObjectName(QStringLiteral("chkSelSwitchAudio"));
    chkSelSwitchAudio_->setToolTip(QStringLiteral("Enable/Disable audio switching"));
    chkSelSwitchAudio_->setChecked(true);
    chkSelSwitchVideo_ = new QCheckBox(QStringLiteral("&Video"), picSelSwitchType_);
    chkSelSwitchVideo_->setObjectName(QStringLiteral("chkSelSwitchVideo"));
    chkSelSwitchVideo_->setToolTip(QStringLiteral("Enable/Disable video switching"));
    chkSelSwitchVideo_->setChecked(true);
    kinds->addWidget(chkSelSwitchAudio_);
    kinds->addWidget(chkSelSwitchVideo_);
    chkSelAllSwitchOutput_ = new QCheckBox(QStringLiteral("Select &all"), side);
    chkSelAllSwitchOutput_->setObjectName(QStringLiteral("chkSelAllSwitchOutput"));
    chkSelAllSwitchOutput_->setToolTip(QStringLiteral("Select/Deselect all output"));
    cmdDisconnect_ = new QPushButton(QStringLiteral("&Disconnect"), side);
    cmdDisconnect_->setObjectName(QStringLiteral("cmdDisconnect"));
    column->addWidget(picSelSwitchType_);
    column->addSpacing(8);
    column->addWidget(chkSelAllSwitchOutput_);
    column->addWidget(cmdDisconnect_);
    lblLastKnown_ = new QLabel(side);
    lblLastKnown_->setObjectName(QStringLiteral("lblLastKnown"));
    lblLastKnown_->setTextFormat(Qt::PlainText);
    lblLastKnown_->setWordWrap(true);
    lblLastKnown_->setVisible(false);
    column->addSpacing(8);
    column->addWidget(lblLastKnown_);
    column->addStretch(1);
    return side;
}

void SwitchView::ConnectHandlers() {
    for (int c = 0; c < grid::kSide; ++c) {
        connect(chkSwitchInput_[static_cast<size_t>(c)], &QPushButton::clicked, this,
                [this, c] { chkSwitchInput_Click(c); });
    }
    for (int r = 0; r < grid::kSide; ++r) {
        // A click from the mouse carries the state its release recorded; one
        // from the keyboard or a screen reader is a plain left click.
        connect(chkSwitchOutput_[static_cast<size_t>(r)], &QPushButton::clicked, this, [this, r] {
            const int button = pendingButton_ != 0 ? pendingButton_ : kLeftButton;
            const int shift = pendingButton_ != 0 ? pendingShift_ : 0;
            pendingButton_ = 0;
            chkSwitchOutput_MouseUp(r, button, shift);
        });
    }
    connect(chkSelAllSwitchOutput_, &QCheckBox::toggled, this,
            [this] { chkSelAllSwitchOutput_Click(); });
    connect(cmdDisconnect_, &QPushButton::clicked, this, [this] { cmdDisconnect_Click(); });
    connect(scoSwitchInput_, &QScrollBar::valueChanged, this,
            [this] { scoSwitch_Change(scoSwitchInput_); });
    connect(scoSwitchOutput_, &QScrollBar::valueChanged, this,
            [this] { scoSwitch_Change(scoSwitchOutput_); });
    for (int k = 0; k < grid::kCells; ++k) {
        CrosspointCell* cell = picSwitchBackground_->cell(k);
        cell->installEventFilter(this); // the arrow and page keys
        connect(cell, &CrosspointCell::pressed, this, [this, k] { imgQRD_Press(k, true); });
        connect(cell, &CrosspointCell::released, this, [this, k] { imgQRD_Press(k, false); });
        connect(cell, &CrosspointCell::clicked, this, [this, k] { imgQRD_Click(k); });
        connect(cell, &CrosspointCell::hoverStarted, this,
                [this](int index) { imgQRD_HoverStarted(index); });
        connect(cell, &CrosspointCell::hoverEnded, this,
                [this](int index) { imgQRD_HoverEnded(index); });
    }
}

void SwitchView::SetTabOrder() {
    // Reading order through the window: the input buttons, the two scroll
    // bars, then row by row an output box and its cells; the side controls
    // after them.
    std::vector<QWidget*> chain(chkSwitchInput_.begin(), chkSwitchInput_.end());
    chain.push_back(scoSwitchInput_);
    chain.push_back(scoSwitchOutput_);
    for (int r = 0; r < grid::kSide; ++r) {
        chain.push_back(chkSwitchOutput_[static_cast<size_t>(r)]);
        for (int c = 0; c < grid::kSide; ++c) {
            chain.push_back(picSwitchBackground_->cell(grid::Cell(c, r)));
        }
    }
    for (QWidget* w :
         {static_cast<QWidget*>(chkSelSwitchAudio_), static_cast<QWidget*>(chkSelSwitchVideo_),
          static_cast<QWidget*>(chkSelAllSwitchOutput_), static_cast<QWidget*>(cmdDisconnect_)}) {
        chain.push_back(w);
    }
    for (size_t i = 1; i < chain.size(); ++i) {
        setTabOrder(chain[i - 1], chain[i]);
    }
}

bool SwitchView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && WindowKey(watched, static_cast<QKeyEvent*>(event))) {
        return true;
    }
    const bool outputBox = std::find(chkSwitchOutput_.begin(), chkSwitchOutput_.end(), watched) !=
                           chkSwitchOutput_.end();
    if (outputBox && event->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        // Space clicks the box on its release; Ctrl and Shift held then count
        // as with the mouse.
        pendingButton_ = kLeftButton;
        pendingShift_ = ShiftStateOf(static_cast<QKeyEvent*>(event)->modifiers());
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        for (int r = 0; r < grid::kSide; ++r) {
            QPushButton* box = chkSwitchOutput_[static_cast<size_t>(r)];
            if (watched != box) {
                continue;
            }
            auto* mouse = static_cast<QMouseEvent*>(event);
            const int shift = ShiftStateOf(mouse->modifiers());
            const bool inside = box->rect().contains(mouse->position().toPoint());
            if (!box->isEnabled() || !inside) {
                break;
            }
            if (mouse->button() == Qt::LeftButton) {
                pendingButton_ = kLeftButton;
                pendingShift_ = shift;
            } else {
                // Other buttons do not click a push button; they still select.
                chkSwitchOutput_MouseUp(r, mouse->button() == Qt::RightButton ? 2 : 4, shift);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SwitchView::wheelEvent(QWheelEvent* event) {
    const QRect area =
        picInput_->geometry() | picOutput_->geometry() | picSwitchBackground_->geometry();
    const QPoint delta = event->angleDelta();
    const bool across = delta.x() != 0 || (event->modifiers() & Qt::ShiftModifier);
    QScrollBar* bar = across ? scoSwitchInput_ : scoSwitchOutput_;
    if (!area.contains(event->position().toPoint()) || !bar->isEnabled()) {
        event->ignore(); // the page's scroll area takes it
        return;
    }
    const int notches =
        (delta.x() != 0 ? delta.x() : delta.y()) / QWheelEvent::DefaultDeltasPerStep;
    bar->setValue(bar->value() - notches * QApplication::wheelScrollLines());
    event->accept();
}

int SwitchView::InputAt(int c) const {
    return grid::PortAt(scoSwitchInput_->value(), c);
}

int SwitchView::OutputAt(int r) const {
    return grid::PortAt(scoSwitchOutput_->value(), r);
}

QString SwitchView::LastKnownCaption() const {
    return lblLastKnown_->isVisibleTo(this) ? lblLastKnown_->text() : QString();
}

QString SwitchView::CellKey(int k) const {
    return picSwitchBackground_->cell(k)->key();
}

QString SwitchView::InputPlugKey(SignalKind kind, int position) const {
    const auto& boxes = kind == SignalKind::Video ? imgVideoInPlug_ : imgAudioInPlug_;
    return boxes.at(static_cast<size_t>(position))->key();
}

QString SwitchView::OutputPlugKey(SignalKind kind, int position) const {
    const auto& boxes = kind == SignalKind::Video ? imgVideoOutPlug_ : imgAudioOutPlug_;
    return boxes.at(static_cast<size_t>(position))->key();
}

} // namespace quadrel
