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
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
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
    basePitch_ = grid::PitchFor(fontMetrics().horizontalAdvance(QStringLiteral("000")),
                                fontMetrics().height());
    pitch_ = basePitch_;
    const auto makeBar = [this](Qt::Orientation orientation, const char* name,
                                const QString& words) {
        auto* bar = new QScrollBar(orientation, this);
        bar->setObjectName(QLatin1String(name));
        bar->setAccessibleName(words);
        bar->setRange(0, 0);
        bar->setEnabled(false);
        bar->setFocusPolicy(Qt::StrongFocus);
        return bar;
    };
    scoSwitchInput_ = makeBar(Qt::Horizontal, "scoSwitchInput", tr("input scroll"));
    scoSwitchOutput_ = makeBar(Qt::Vertical, "scoSwitchOutput", tr("output scroll"));

    page_ = new QGridLayout(this);
    // The page may be smaller than the window it shows for a moment: the
    // window is fitted to the page, never the page to the window.
    page_->setSizeConstraint(QLayout::SetNoConstraint);
    page_->setSpacing(2);
    page_->addWidget(scoSwitchInput_, 1, 2, Qt::AlignLeft);
    page_->addWidget(scoSwitchOutput_, 2, 1, Qt::AlignTop);
    side_ = BuildSideControls();
    page_->addWidget(side_, 0, 3, 3, 1);
    page_->setRowStretch(3, 1);
    page_->setColumnStretch(4, 1);
    connect(scoSwitchInput_, &QScrollBar::valueChanged, this,
            [this] { scoSwitch_Change(scoSwitchInput_); });
    connect(scoSwitchOutput_, &QScrollBar::valueChanged, this,
            [this] { scoSwitch_Change(scoSwitchOutput_); });
    BuildWindow();

    timSelected_->stop();
    timSelected_->setOnTick([this] { timSelected_Timer(); });
    const std::pair<QKeySequence, int> zooms[] = {{QKeySequence::ZoomIn, 1},
                                                  {QKeySequence(Qt::CTRL | Qt::Key_Equal), 1},
                                                  {QKeySequence::ZoomOut, -1}};
    for (const auto& [keys, steps] : zooms) {
        auto* zoom = new QShortcut(keys, this);
        zoom->setContext(Qt::WidgetWithChildrenShortcut);
        connect(zoom, &QShortcut::activated, this, [this, steps = steps] { Zoom(steps); });
    }
}

// The cells outlive this object's members by a moment (the base class
// deletes them); a hover ending then must not reach timSelected.
SwitchView::~SwitchView() {
    for (int k = 0; k < shape_.cells(); ++k) {
        disconnect(picSwitchBackground_->cell(k), nullptr, this, nullptr);
    }
}

void SwitchView::BuildWindow() {
    const QWidget* focused = QApplication::focusWidget();
    bool hadFocus = false;
    for (QWidget* old : {picInput_, picOutput_, static_cast<QWidget*>(picSwitchBackground_)}) {
        if (old == nullptr) {
            continue;
        }
        hadFocus = hadFocus || (focused != nullptr && old->isAncestorOf(focused));
        // The old window may be where the event that rebuilds it came from.
        for (QObject* child : old->findChildren<QObject*>()) {
            disconnect(child, nullptr, this, nullptr);
            child->removeEventFilter(this);
        }
        page_->removeWidget(old);
        old->hide();
        // Out of the page at once, so that nothing finds it by name.
        old->setParent(nullptr);
        old->deleteLater();
    }
    chkSwitchInput_.clear();
    imgVideoInPlug_.clear();
    imgAudioInPlug_.clear();
    chkSwitchOutput_.clear();
    imgVideoOutPlug_.clear();
    imgAudioOutPlug_.clear();
    lblOutputSource_.clear();
    sourceShown_.clear();
    BuildInputRow();
    BuildOutputColumn();
    picSwitchBackground_ = new SwitchGrid(pitch_, shape_, this);
    page_->addWidget(picInput_, 0, 2, Qt::AlignLeft | Qt::AlignBottom);
    page_->addWidget(picOutput_, 2, 0, Qt::AlignRight | Qt::AlignTop);
    page_->addWidget(picSwitchBackground_, 2, 2, Qt::AlignLeft | Qt::AlignTop);
    scoSwitchInput_->setFixedSize(grid::BackgroundSize(pitch_, shape_.columns), kBarThickness);
    scoSwitchInput_->setPageStep(shape_.columns);
    scoSwitchOutput_->setFixedSize(kBarThickness, grid::BackgroundSize(pitch_, shape_.rows));
    scoSwitchOutput_->setPageStep(shape_.rows);

    // Grid construction: cells start enabled, the frame hidden, bars dark red.
    for (int k = 0; k < shape_.cells(); ++k) {
        CrosspointCell* cell = picSwitchBackground_->cell(k);
        cell->setKey(keys_.SwitchKeys[0]);
        cell->setAccessibleName(tr("input %1, output %2")
                                    .arg(grid::Column(k, shape_.columns) + 1)
                                    .arg(grid::Row(k, shape_.columns) + 1));
    }
    tabCell_ = tabInput_ = tabOutput_ = nullptr;
    if (namingFilter() != nullptr) {
        for (QWidget* target : NameTargets()) {
            target->installEventFilter(namingFilter());
        }
    }
    ConnectHandlers();
    SetTabOrder();
    if (hadFocus) {
        picSwitchBackground_->cell(0)->setFocus(Qt::OtherFocusReason);
    }
}

QSize SwitchView::SizeFor(grid::Shape shape) const {
    const QMargins m = page_->contentsMargins();
    const int spacing = page_->spacing();
    const int width = m.left() + picOutput_->width() + kBarThickness +
                      grid::BackgroundSize(pitch_, shape.columns) + side_->sizeHint().width() +
                      3 * spacing + m.right();
    const int height = m.top() + picInput_->height() + kBarThickness +
                       std::max(grid::BackgroundSize(pitch_, shape.rows),
                                side_->minimumSizeHint().height() - picInput_->height()) +
                       2 * spacing + m.bottom();
    return {width, height};
}

QSize SwitchView::sizeHint() const {
    return SizeFor({});
}

QSize SwitchView::minimumSizeHint() const {
    return SizeFor({});
}

grid::Shape SwitchView::FittingShape() const {
    const UnitRef unit = core_.model.objSelectedUnit;
    const bool shown = IsUnitConnected(unit) || ShowsLastKnown();
    const int inputs = shown ? std::min(unit->iInputCount(), kMaxPort) : 0;
    const int outputs = shown ? std::min(unit->iOutputCount(), kMaxPort) : 0;
    const QSize least = SizeFor({});
    const int spareWidth = width() - least.width();
    const int spareHeight = height() - least.height();
    return {grid::SideFor(grid::BackgroundSize(pitch_) + spareWidth, pitch_, inputs),
            grid::SideFor(grid::BackgroundSize(pitch_) + spareHeight, pitch_, outputs)};
}

void SwitchView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ScheduleFit();
}

void SwitchView::ScheduleFit() {
    // A drag of the window's edge is many resizes: one fit after them.
    if (fitPending_) {
        return;
    }
    fitPending_ = true;
    QTimer::singleShot(0, this, [this] { FitWindow(); });
}

void SwitchView::FitWindow() {
    fitPending_ = false;
    const grid::Shape shape = FittingShape();
    if (shape == shape_) {
        return;
    }
    shape_ = shape;
    BuildWindow();
    SetScrollRanges(false);
    Enable_SwitchControl(enabled_);
    Draw_SwitchView();
}

void SwitchView::Zoom(int steps) {
    static constexpr double kFactors[] = {0.75, 0.875, 1.0, 1.25, 1.5, 2.0};
    constexpr int kLeast = -2;
    constexpr int kMost = 3;
    const int zoom = std::clamp(zoom_ + steps, kLeast, kMost);
    if (zoom == zoom_) {
        return;
    }
    zoom_ = zoom;
    pitch_ = static_cast<int>(basePitch_ * kFactors[zoom_ - kLeast] + 0.5);
    // Built at once at the new pitch, then fitted to the page.
    BuildWindow();
    shape_ = {};
    FitWindow();
    SetScrollRanges(false);
    Enable_SwitchControl(enabled_);
    Draw_SwitchView();
    ScheduleFit();
}

void SwitchView::SetScrollRanges(bool resetValues) {
    const UnitRef unit = core_.model.objSelectedUnit;
    const bool shown = IsUnitConnected(unit) || ShowsLastKnown();
    const int inputs = shown ? std::min(unit->iInputCount(), kMaxPort) : 0;
    const int outputs = shown ? std::min(unit->iOutputCount(), kMaxPort) : 0;
    const std::pair<QScrollBar*, int> bars[] = {{scoSwitchInput_, inputs - shape_.columns},
                                                {scoSwitchOutput_, outputs - shape_.rows}};
    for (const auto& [bar, beyond] : bars) {
        const QSignalBlocker quiet(bar);
        if (resetValues) {
            bar->setValue(0);
        }
        bar->setMaximum(std::max(0, beyond));
        bar->setEnabled(beyond > 0 && IsUnitConnected(unit));
    }
}

QFont SwitchView::PortFont() const {
    // Zoomed out, the captions shrink with the cells so that they still fit.
    QFont f = font();
    if (pitch_ < basePitch_) {
        f.setPointSizeF(f.pointSizeF() * pitch_ / basePitch_);
    }
    return f;
}

void SwitchView::BuildInputRow() {
    // Sizes follow the pitch and the font; each button has a line for the
    // port's number and one for its name, so a name never moves the grid.
    const QFont portFont = PortFont();
    const QFontMetrics metrics(portFont);
    const int side = grid::BackgroundSize(pitch_, shape_.columns);
    const int captionHeight = std::max(16, fontMetrics().height());
    const int buttonHeight = std::max(24, 2 * metrics.height() + 6);
    const int plugTop = captionHeight + buttonHeight + 2;
    picInput_ = new QWidget(this);
    picInput_->setObjectName(QStringLiteral("picInput"));
    picInput_->setFixedSize(side, plugTop + kPlugSize + 2);
    lblInput_ = new QLabel(tr("INPUT"), picInput_);
    lblInput_->setObjectName(QStringLiteral("lblInput"));
    lblInput_->setTextFormat(Qt::PlainText);
    lblInput_->setAlignment(Qt::AlignCenter);
    lblInput_->setGeometry(0, 0, side, captionHeight);
    const int plugSize = std::min(kPlugSize, (pitch_ - 4) / 2);
    for (int c = 0; c < shape_.columns; ++c) {
        const int x = c * pitch_;
        auto* button = new QPushButton(grid::PortCaption(c + 1), picInput_);
        button->setObjectName(QStringLiteral("chkSwitchInput_%1").arg(c));
        button->setFont(portFont);
        button->setCheckable(true);
        button->setGeometry(x + 4, captionHeight, pitch_ - 2, buttonHeight);
        button->installEventFilter(this);
        chkSwitchInput_.push_back(button);
        auto* video = new PictureBox(picInput_);
        video->setObjectName(QStringLiteral("imgVideoInPlug_%1").arg(c));
        video->setGeometry(x + 5, plugTop, plugSize, plugSize);
        imgVideoInPlug_.push_back(video);
        auto* audio = new PictureBox(picInput_);
        audio->setObjectName(QStringLiteral("imgAudioInPlug_%1").arg(c));
        audio->setGeometry(x + 6 + plugSize, plugTop, plugSize, plugSize);
        imgAudioInPlug_.push_back(audio);
    }
}

void SwitchView::BuildOutputColumn() {
    const QFont portFont = PortFont();
    const QFontMetrics metrics(portFont);
    const int side = grid::BackgroundSize(pitch_, shape_.rows);
    const int letters = std::max(16, fontMetrics().horizontalAdvance(QLatin1Char('W')) + 4);
    // A box holds the port's number and about ten letters of its name.
    const int boxWidth = std::max(40, metrics.horizontalAdvance(QStringLiteral("000 ")) +
                                          metrics.averageCharWidth() * 10 + 14);
    const int plugLeft = letters + boxWidth + 2;
    const int plugSize = std::min(kPlugSize, (pitch_ - 4) / 2);
    picOutput_ = new QWidget(this);
    picOutput_->setObjectName(QStringLiteral("picOutput"));
    // Beside each box, what feeds its output, at a width that no name
    // changes: a longer source is cut short there and whole in the tool tip.
    const int sourceLeft = plugLeft + plugSize + 4;
    const int sourceWidth = std::max(metrics.horizontalAdvance(QStringLiteral("A255 V255")),
                                     metrics.averageCharWidth() * 14) +
                            8;
    picOutput_->setFixedSize(sourceLeft + sourceWidth, side);
    //: The outputs' caption, written downwards one letter a line.
    lblOutput_ = new QLabel(tr("\n\n\nO\nU\nT\nP\nU\nT"), picOutput_);
    lblOutput_->setObjectName(QStringLiteral("lblOutput"));
    lblOutput_->setAccessibleName(tr("OUTPUT"));
    lblOutput_->setTextFormat(Qt::PlainText);
    lblOutput_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblOutput_->setGeometry(0, 0, letters, side);
    for (int r = 0; r < shape_.rows; ++r) {
        const int y = r * pitch_;
        auto* box = new QPushButton(grid::PortCaption(r + 1), picOutput_);
        box->setObjectName(QStringLiteral("chkSwitchOutput_%1").arg(r));
        box->setFont(portFont);
        box->setCheckable(true);
        box->setGeometry(letters, y + 4, boxWidth, pitch_ - 2);
        box->installEventFilter(this);
        // A ticked output must stand out from the others at a glance.
        box->setStyleSheet(
            QStringLiteral("QPushButton { text-align: left; padding-left: 4px; }"
                           " QPushButton:checked { background: palette(highlight); color: "
                           "palette(highlighted-text);"
                           " border: 1px solid palette(dark); border-radius: 3px; }"));
        chkSwitchOutput_.push_back(box);
        auto* video = new PictureBox(picOutput_);
        video->setObjectName(QStringLiteral("imgVideoOutPlug_%1").arg(r));
        video->setGeometry(plugLeft, y + 4, plugSize, plugSize);
        imgVideoOutPlug_.push_back(video);
        auto* audio = new PictureBox(picOutput_);
        audio->setObjectName(QStringLiteral("imgAudioOutPlug_%1").arg(r));
        audio->setGeometry(plugLeft, y + 5 + plugSize, plugSize, plugSize);
        imgAudioOutPlug_.push_back(audio);
        auto* source = new QLabel(picOutput_);
        source->setObjectName(QStringLiteral("lblOutputSource_%1").arg(r));
        source->setFont(portFont);
        source->setTextFormat(Qt::PlainText);
        source->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        source->setGeometry(sourceLeft, y + 4, sourceWidth, pitch_ - 2);
        lblOutputSource_.push_back(source);
    }
}

QWidget* SwitchView::BuildSideControls() {
    auto* side = new QWidget(this);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(6, 0, 0, 0);
    picSelSwitchType_ = new QWidget(side);
    picSelSwitchType_->setObjectName(QStringLiteral("picSelSwitchType"));
    auto* kinds = new QVBoxLayout(picSelSwitchType_);
    kinds->setContentsMargins(0, 0, 0, 0);
    chkSelSwitchAudio_ = new QCheckBox(tr("A&udio"), picSelSwitchType_);
    chkSelSwitchAudio_->setObjectName(QStringLiteral("chkSelSwitchAudio"));
    chkSelSwitchAudio_->setToolTip(tr("Enable/Disable audio switching"));
    chkSelSwitchAudio_->setChecked(true);
    chkSelSwitchVideo_ = new QCheckBox(tr("&Video"), picSelSwitchType_);
    chkSelSwitchVideo_->setObjectName(QStringLiteral("chkSelSwitchVideo"));
    chkSelSwitchVideo_->setToolTip(tr("Enable/Disable video switching"));
    chkSelSwitchVideo_->setChecked(true);
    kinds->addWidget(chkSelSwitchAudio_);
    kinds->addWidget(chkSelSwitchVideo_);
    chkSelAllSwitchOutput_ = new QCheckBox(tr("Select &all"), side);
    chkSelAllSwitchOutput_->setObjectName(QStringLiteral("chkSelAllSwitchOutput"));
    chkSelAllSwitchOutput_->setToolTip(tr("Select/Deselect all output"));
    cmdDisconnect_ = new QPushButton(tr("&Disconnect"), side);
    cmdDisconnect_->setObjectName(QStringLiteral("cmdDisconnect"));
    column->addWidget(picSelSwitchType_);
    column->addSpacing(8);
    column->addWidget(chkSelAllSwitchOutput_);
    column->addWidget(cmdDisconnect_);
    connect(chkSelAllSwitchOutput_, &QCheckBox::toggled, this,
            [this] { chkSelAllSwitchOutput_Click(); });
    connect(cmdDisconnect_, &QPushButton::clicked, this, [this] { cmdDisconnect_Click(); });
    // Go to: an input or output by number or name, typed in place.
    lblGoTo_ = new QLabel(side);
    lblGoTo_->setObjectName(QStringLiteral("lblGoTo"));
    lblGoTo_->setWordWrap(true);
    lblGoTo_->setTextFormat(Qt::PlainText);
    txtGoTo_ = new QLineEdit(side);
    txtGoTo_->setObjectName(QStringLiteral("txtGoTo"));
    txtGoTo_->setAccessibleName(tr("Go to input or output"));
    txtGoTo_->setPlaceholderText(tr("Input 12, Output 5 or a name"));
    txtGoTo_->setToolTip(tr("Enter: go there; Escape: close"));
    txtGoTo_->installEventFilter(this);
    connect(txtGoTo_, &QLineEdit::returnPressed, this, [this] { txtGoTo_Return(); });
    lblGoTo_->hide();
    txtGoTo_->hide();
    column->addSpacing(8);
    column->addWidget(lblGoTo_);
    column->addWidget(txtGoTo_);
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
    for (int c = 0; c < shape_.columns; ++c) {
        connect(chkSwitchInput_[static_cast<size_t>(c)], &QPushButton::clicked, this,
                [this, c] { chkSwitchInput_Click(c); });
    }
    for (int r = 0; r < shape_.rows; ++r) {
        // A click from the mouse carries the state its release recorded; one
        // from the keyboard or a screen reader is a plain left click.
        connect(chkSwitchOutput_[static_cast<size_t>(r)], &QPushButton::clicked, this, [this, r] {
            const int button = pendingButton_ != 0 ? pendingButton_ : kLeftButton;
            const int shift = pendingButton_ != 0 ? pendingShift_ : 0;
            pendingButton_ = 0;
            chkSwitchOutput_MouseUp(r, button, shift);
        });
    }
    for (int k = 0; k < shape_.cells(); ++k) {
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
    // bars, the output boxes, the cells row by row, then the side controls.
    // Tab stops once in each group (MakeTabStop); the arrows move inside it.
    std::vector<QWidget*> chain(chkSwitchInput_.begin(), chkSwitchInput_.end());
    chain.push_back(scoSwitchInput_);
    chain.push_back(scoSwitchOutput_);
    chain.insert(chain.end(), chkSwitchOutput_.begin(), chkSwitchOutput_.end());
    for (int k = 0; k < shape_.cells(); ++k) {
        chain.push_back(picSwitchBackground_->cell(k));
    }
    for (QWidget* w :
         {static_cast<QWidget*>(chkSelSwitchAudio_), static_cast<QWidget*>(chkSelSwitchVideo_),
          static_cast<QWidget*>(chkSelAllSwitchOutput_), static_cast<QWidget*>(cmdDisconnect_)}) {
        chain.push_back(w);
    }
    for (size_t i = 1; i < chain.size(); ++i) {
        setTabOrder(chain[i - 1], chain[i]);
    }
    for (QPushButton* b : chkSwitchInput_) {
        b->setFocusPolicy(Qt::ClickFocus);
    }
    for (QPushButton* b : chkSwitchOutput_) {
        b->setFocusPolicy(Qt::ClickFocus);
    }
    for (int k = 0; k < shape_.cells(); ++k) {
        picSwitchBackground_->cell(k)->setFocusPolicy(Qt::ClickFocus);
    }
    MakeTabStop(chkSwitchInput_.front());
    MakeTabStop(chkSwitchOutput_.front());
    MakeTabStop(picSwitchBackground_->cell(0));
}

void SwitchView::MakeTabStop(QWidget* widget) {
    QWidget** stop = nullptr;
    if (qobject_cast<CrosspointCell*>(widget) != nullptr) {
        stop = &tabCell_;
    } else if (widget->parentWidget() == picInput_) {
        stop = &tabInput_;
    } else if (widget->parentWidget() == picOutput_) {
        stop = &tabOutput_;
    }
    if (stop == nullptr || *stop == widget) {
        return;
    }
    if (*stop != nullptr) {
        (*stop)->setFocusPolicy(Qt::ClickFocus);
    }
    widget->setFocusPolicy(Qt::StrongFocus);
    *stop = widget;
}

bool SwitchView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtGoTo_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        txtGoTo_->hide();
        lblGoTo_->hide();
        picSwitchBackground_->cell(0)->setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (event->type() == QEvent::FocusIn && watched->isWidgetType()) {
        MakeTabStop(static_cast<QWidget*>(watched));
    }
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
        for (int r = 0; r < shape_.rows; ++r) {
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
    if ((event->modifiers() & Qt::ControlModifier) && area.contains(event->position().toPoint())) {
        // A notch a step; a touch pad's small deltas add up to one.
        zoomDelta_ += delta.y();
        const int steps = zoomDelta_ / QWheelEvent::DefaultDeltasPerStep;
        zoomDelta_ -= steps * QWheelEvent::DefaultDeltasPerStep;
        if (steps != 0) {
            Zoom(steps);
        }
        event->accept();
        return;
    }
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

std::optional<int> SwitchView::CellShowing(int input, int output) const {
    return grid::CellOf(input, output, scoSwitchInput_->value(), scoSwitchOutput_->value(), shape_);
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
