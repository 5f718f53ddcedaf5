#include "control/SelectedAudioGroup.h"

#include "control/AudioRules.h"
#include "control/LevelEntry.h"
#include "control/MutePicture.h"
#include "control/OwnEnabled.h"
#include "control/ScopedFlag.h"
#include "control/WheelGuard.h"
#include "model/QuadrelCore.h"
#include "model/SettingRange.h"
#include "model/ViewParts.h"

#include <QGridLayout>

#include <algorithm>
#include <limits>

namespace quadrel {

namespace {

using namespace std::chrono_literals;

constexpr int kDesignMaximum = 100;
// The least time between two settings from a held slider: a level follows
// the hand closely enough to be set by ear, and the line keeps up.
constexpr auto kDragEvery = 100ms;

struct RowKind {
    const char* stem;
    const char* caption; // in the group's own context, so tr() finds it
    AudioValue value;
    Reported reported;
    bool AudioCaps::*cap;
    int64_t (*field)(const AUDIO_OUTPUT_STATUS&);
};

const std::array<RowKind, SelectedAudioGroup::RowCount>& Kinds() {
    static const std::array<RowKind, SelectedAudioGroup::RowCount> kinds{{
        {"VolumnLevel", QT_TRANSLATE_NOOP("quadrel::SelectedAudioGroup", "Volume"),
         AudioValue::Volumn, Reported::Volumn, &AudioCaps::volume,
         [](const AUDIO_OUTPUT_STATUS& s) -> int64_t { return s.iVolumnLevel; }},
        {"BassLevel", QT_TRANSLATE_NOOP("quadrel::SelectedAudioGroup", "Bass"), AudioValue::Bass,
         Reported::Bass, &AudioCaps::bass,
         [](const AUDIO_OUTPUT_STATUS& s) -> int64_t { return s.iBassLevel; }},
        {"TrebleLevel", QT_TRANSLATE_NOOP("quadrel::SelectedAudioGroup", "Treble"),
         AudioValue::Treble, Reported::Treble, &AudioCaps::treble,
         [](const AUDIO_OUTPUT_STATUS& s) -> int64_t { return s.iTrebleLevel; }},
        {"SubwooferLevel", QT_TRANSLATE_NOOP("quadrel::SelectedAudioGroup", "Subwoofer"),
         AudioValue::Subwoofer, Reported::Subwoofer, &AudioCaps::subwoofer,
         [](const AUDIO_OUTPUT_STATUS& s) -> int64_t { return s.iSubwooferLevel; }},
        {"DelayTime", QT_TRANSLATE_NOOP("quadrel::SelectedAudioGroup", "Delay"), AudioValue::Delay,
         Reported::Delay, &AudioCaps::delay,
         [](const AUDIO_OUTPUT_STATUS& s) -> int64_t { return s.lDelayTime; }},
    }};
    return kinds;
}

// The undo history's name of a row's value, in the order of the rows.
constexpr std::array<Setting, SelectedAudioGroup::RowCount> kRowSettings{
    Setting::Volumn, Setting::Bass, Setting::Treble, Setting::Subwoofer, Setting::Delay};

std::vector<int> SelectedOutputs(const basQRD& model) {
    std::vector<int> out;
    for (int n = 1; n <= kMaxPort; ++n) {
        if (model.AudioOutputSelect[n].blSelected) {
            out.push_back(n);
        }
    }
    return out;
}

// One value for every ticked output, kept for undo and sent; false when no
// output is ticked.
bool SendToSelected(QuadrelCore& core, uint8_t unit, Setting setting, int32_t value) {
    const std::vector<int> outputs = SelectedOutputs(core.model);
    SettingValues target;
    ChangeHistory::Add(target, setting, outputs, value);
    const uint32_t tag = core.history.Record(target);
    return !core.path.Send(Change::Of(unit, setting, outputs, value), tag).empty();
}

int ToControl(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, 0, std::numeric_limits<int>::max()));
}

} // namespace

SelectedAudioGroup::SelectedAudioGroup(QuadrelCore& core, TimerFactory& timers, FramePart& frame,
                                       QWidget* parent)
    : QWidget(parent), core_(core), frame_(frame), chkMute_(new QCheckBox(tr("Mute"), this)),
      imgMute_(new MuteImage(this)), timMute_(timers.createTimer(500ms)) {
    setObjectName(QStringLiteral("fraSelectedAudioOutput"));
    chkMute_->setObjectName(QStringLiteral("chkSelectedMuteStatus"));
    imgMute_->setObjectName(QStringLiteral("imgSelectedMuteStatus"));
    imgMute_->setAccessibleName(tr("Mute status of the selected outputs"));
    connect(chkMute_, &QCheckBox::toggled, this, [this] { chkSelectedMuteStatus_Click(); });
    timMute_->setOnTick([this] {
        timMute_->stop();
        Draw_SelectedMuteStatus();
    });

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 4, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->addWidget(chkMute_, 0, 0);
    grid->addWidget(imgMute_, 0, 1, Qt::AlignLeft);
    for (int r = 0; r < RowCount; ++r) {
        const RowKind& kind = Kinds()[static_cast<size_t>(r)];
        LevelRow& row = rows_[static_cast<size_t>(r)];
        const QString stem = QString::fromLatin1(kind.stem);
        row.lbl = new QLabel(tr(kind.caption), this);
        row.lbl->setObjectName(QStringLiteral("lblSelected") + stem);
        row.sld = new QSlider(Qt::Horizontal, this);
        row.sld->setObjectName(QStringLiteral("sldSelected") + stem);
        row.sld->setAccessibleName(tr(kind.caption));
        row.sld->setRange(0, kDesignMaximum);
        row.sld->setSingleStep(1);
        row.sld->setPageStep(5);
        row.sld->setTickInterval(5);
        row.sld->setTickPosition(QSlider::TicksBelow);
        row.sld->setTracking(false); // a drag is sent at its own pace (SliderMoved)
        GuardWheel(row.sld);
        row.ud = new UpDown(this);
        row.ud->setObjectName(QStringLiteral("udSelected") + stem);
        row.ud->setAccessibleName(tr(kind.caption));
        row.ud->setRange(0, kDesignMaximum);
        row.ud->setSingleStep(1);
        GuardWheel(row.ud);
        row.txt = new QLineEdit(this);
        row.txt->setObjectName(QStringLiteral("txtSelected") + stem);
        row.txt->setAccessibleName(tr(kind.caption));
        // Room for the longest delay in the interface font.
        row.txt->setFixedWidth(
            std::max(56, row.txt->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 14));
        row.lbl->setBuddy(row.txt);
        row.entry = new LevelEntry(row.txt, r != Delay, this);
        row.timer = timers.createTimer(500ms);
        const auto rr = static_cast<Row>(r);
        row.timer->setOnTick([this, rr] {
            rows_[rr].timer->stop();
            Draw_SelectedRow(rr);
        });
        row.drag = timers.createTimer(kDragEvery);
        row.drag->setOnTick([this, rr] { DragTick(rr); });
        if (rr == Delay) {
            connect(row.sld, &QSlider::valueChanged, this,
                    [this](int v) { SelectedDelayTimeChange(v); });
            connect(row.ud, &QSpinBox::valueChanged, this,
                    [this](int v) { SelectedDelayTimeChange(v); });
            row.unit = new QLabel(tr("ms"), this);
            row.unit->setObjectName(QStringLiteral("lblSelectedDelayUnit"));
        } else {
            connect(row.sld, &QSlider::valueChanged, this,
                    [this, rr](int v) { LevelChange(rr, v); });
            connect(row.ud, &QSpinBox::valueChanged, this,
                    [this, rr](int v) { LevelChange(rr, v); });
        }
        connect(row.entry, &LevelEntry::committed, this,
                [this, rr](const QString& text) { TextCommit(rr, text); });
        connect(row.sld, &QSlider::sliderMoved, this,
                [this, rr](int position) { SliderMoved(rr, position); });
        connect(row.sld, &QSlider::sliderReleased, this, [this, rr] { SliderReleased(rr); });
        grid->addWidget(row.lbl, r + 1, 0);
        grid->addWidget(row.sld, r + 1, 1);
        grid->addWidget(row.txt, r + 1, 2);
        grid->addWidget(row.ud, r + 1, 3);
        if (row.unit != nullptr) {
            grid->addWidget(row.unit, r + 1, 4);
        }
    }
    grid->setColumnStretch(1, 1);
    EnableFor(false, AudioCaps());
}

SelectedAudioGroup::~SelectedAudioGroup() = default;

bool SelectedAudioGroup::GroupEnabled() const {
    return OwnEnabled(this);
}

void SelectedAudioGroup::EnableFor(bool selected, const AudioCaps& caps) {
    setEnabled(selected);
    imgMute_->setEnabled(selected && caps.volume);
    chkMute_->setEnabled(selected && caps.volume);
    for (int r = 0; r < RowCount; ++r) {
        LevelRow& row = rows_[static_cast<size_t>(r)];
        const bool on = selected && caps.*(Kinds()[static_cast<size_t>(r)].cap);
        for (QWidget* w : {static_cast<QWidget*>(row.lbl), static_cast<QWidget*>(row.sld),
                           static_cast<QWidget*>(row.txt), static_cast<QWidget*>(row.ud)}) {
            w->setEnabled(on);
        }
        if (row.unit != nullptr) {
            row.unit->setEnabled(on);
        }
    }
    Draw_SelectedAudioOutput();
}

bool SelectedAudioGroup::LevelChange(Row r, int v) {
    LevelRow& row = rows_[r];
    const UnitRef unit = core_.model.objSelectedUnit;
    if (row.blSkip || !IsUnitConnected(unit)) {
        return false;
    }
    if (v < 0 || v > AudioRules::kMaxLevel) {
        return false; // never on the line, whatever called
    }
    ScopedFlag guard(row.blSkip);
    row.timer->stop();
    row.sld->setValue(v);
    row.ud->setValue(v);
    if (SendToSelected(core_, unit->bID(), kRowSettings[r], v)) {
        frame_.SetBusyPointer(true);
    }
    return true;
}

bool SelectedAudioGroup::DelayChange(int64_t milliseconds) {
    LevelRow& row = rows_[Delay];
    const UnitRef unit = core_.model.objSelectedUnit;
    if (row.blSkip || !IsUnitConnected(unit)) {
        return false;
    }
    const auto audio = unit->objAudioINFO();
    const int delayUnit = audio ? audio->iDelayUnit() : 0;
    const int maxDelay = audio ? audio->iMaxDelayTime() : 0;
    // Below 0, beyond two bytes of steps, or a unit without a step or a
    // maximum: rejected before anything is touched.
    const std::optional<int32_t> steps = AudioRules::DelaySteps(milliseconds, delayUnit);
    if (!steps || maxDelay <= 0) {
        return false;
    }
    ScopedFlag guard(row.blSkip);
    row.timer->stop();
    row.sld->setValue(ToControl(milliseconds));
    row.ud->setValue(ToControl(milliseconds));
    if (SendToSelected(core_, unit->bID(), Setting::Delay, *steps * delayUnit)) {
        frame_.SetBusyPointer(true);
    }
    return true;
}

void SelectedAudioGroup::chkSelectedMuteStatus_Click() {
    const UnitRef unit = core_.model.objSelectedUnit;
    if (blSkipMute_ || !IsUnitConnected(unit)) {
        return;
    }
    const uint8_t mute = chkMute_->isChecked() ? 1 : 0;
    if (!SelectedOutputs(core_.model).empty()) {
        timMute_->stop();
    }
    if (SendToSelected(core_, unit->bID(), Setting::Mute, mute)) {
        frame_.SetBusyPointer(true);
    }
}

// Enter or leaving the box: one change with the typed value. A value the
// unit would not take is refused, with why, and the box shows again what the
// group shows; empty text puts that back silently.
void SelectedAudioGroup::TextCommit(Row r, const QString& text) {
    LevelRow& row = rows_[r];
    const UnitRef unit = core_.model.objSelectedUnit;
    const AudioRules::Typed typed = AudioRules::ReadTyped(text);
    QString why;
    if (typed.kind == AudioRules::Typed::NotANumber) {
        //: %1: the setting, as "volume"
        why = tr("the %1 typed is not a number").arg(SettingRange::Words(kRowSettings[r]));
    } else if (typed.kind == AudioRules::Typed::Number && IsUnitConnected(unit)) {
        why = SettingRange::Refusal(kRowSettings[r], typed.value, *unit);
        if (why.isEmpty() && Change(r, typed.value)) {
            return;
        }
    }
    row.entry->Restore();
    if (!why.isEmpty()) {
        //: %1: why, as "delay 45 ms is outside 0-40 ms"
        Refuse(tr("Not sent: %1.").arg(why));
    }
}

// In the status line, and in a message of its own.
void SelectedAudioGroup::Refuse(const QString& text) {
    core_.activity.Act(text);
    frame_.TellRefusal(text);
}

// The first move of a held handle goes out at once; the timer then sends
// the value under the handle each 100 ms while it keeps moving.
void SelectedAudioGroup::SliderMoved(Row r, int position) {
    LevelRow& row = rows_[r];
    row.entry->Show(QString::number(position));
    if (!row.sld->isSliderDown() || row.drag->isActive()) {
        return;
    }
    if (position != row.sld->value() && Change(r, position)) {
        row.drag->start();
    }
}

void SelectedAudioGroup::DragTick(Row r) {
    LevelRow& row = rows_[r];
    const int position = row.sld->sliderPosition();
    // The slider's value is the last one sent: a handle at rest sends nothing.
    if (!row.sld->isSliderDown() || position == row.sld->value() || !Change(r, position)) {
        row.drag->stop();
    }
}

// The release itself sends the last value when it is not the last one sent
// (the slider's value change); a redraw held back meanwhile is done now when
// nothing is left to send.
void SelectedAudioGroup::SliderReleased(Row r) {
    LevelRow& row = rows_[r];
    row.drag->stop();
    if (row.heldRedraw) {
        row.heldRedraw = false;
        if (row.sld->sliderPosition() == row.sld->value()) {
            Draw_SelectedRow(r);
        }
    }
}

Timer& SelectedAudioGroup::TimerOf(AudioValue value) const {
    for (size_t r = 0; r < RowCount; ++r) {
        if (Kinds()[r].value == value) {
            return *rows_[r].timer;
        }
    }
    return *timMute_;
}

void SelectedAudioGroup::RestartSelectedRedraw(AudioValue value) {
    Timer& t = TimerOf(value);
    t.stop();
    t.start();
}

bool SelectedAudioGroup::IsSelectedRedrawRunning(AudioValue value) const {
    return TimerOf(value).isActive();
}

void SelectedAudioGroup::Setup_SelectedDelayRange(int maxDelayTime, int delayUnit) {
    LevelRow& row = rows_[Delay];
    const int step = std::max(delayUnit, 1); // a step of 0 would freeze the arrows
    const int maximum = std::max(maxDelayTime, 0);
    ScopedFlag guard(row.blSkip);
    row.sld->setMaximum(maximum);
    row.sld->setSingleStep(step);
    row.sld->setPageStep(5 * step);
    row.sld->setTickInterval(maximum / 20);
    row.ud->setMaximum(maximum);
    row.ud->setSingleStep(step);
}

void SelectedAudioGroup::Draw_SelectedAudioOutput() {
    Draw_SelectedMuteStatus();
    for (int r = 0; r < RowCount; ++r) {
        Draw_SelectedRow(static_cast<Row>(r));
    }
}

void SelectedAudioGroup::Draw_SelectedMuteStatus() {
    AudioRules::CommonValue common;
    if (GroupEnabled() && AudioCaps::Known(core_.model.objSelectedUnit).volume) {
        for (int n = 1; n <= kMaxPort; ++n) {
            const AUDIO_OUTPUT_STATUS& s = core_.model.AudioOutputs[n];
            if (!core_.model.AudioOutputSelect[n].blSelected) {
                continue;
            }
            if (s.reported.has(Reported::Mute)) {
                common.Add(s.lMuteStatus);
            } else {
                common.AddUnknown();
            }
        }
    }
    ScopedFlag guard(blSkipMute_);
    chkMute_->setChecked(common.IsCommon() && common.Value() == 1);
    const QString key = MuteKey(static_cast<int>(common.Value()));
    imgMute_->setKey(key);
    imgMute_->setVisible(GroupEnabled());
}

void SelectedAudioGroup::Draw_SelectedRow(Row r) {
    const RowKind& kind = Kinds()[r];
    LevelRow& row = rows_[r];
    if (row.sld->isSliderDown()) {
        row.heldRedraw = true; // the handle is the operator's until released
        return;
    }
    AudioRules::CommonValue common;
    if (GroupEnabled() && AudioCaps::Known(core_.model.objSelectedUnit).*kind.cap) {
        for (int n = 1; n <= kMaxPort; ++n) {
            const AUDIO_OUTPUT_STATUS& s = core_.model.AudioOutputs[n];
            if (!core_.model.AudioOutputSelect[n].blSelected) {
                continue;
            }
            if (s.reported.has(kind.reported)) {
                common.Add(kind.field(s));
            } else {
                common.AddUnknown();
            }
        }
    }
    ScopedFlag guard(row.blSkip);
    row.sld->setValue(ToControl(common.Value()));
    row.ud->setValue(ToControl(common.Value()));
    row.entry->Show(common.IsCommon() ? QString::number(common.Value()) : QString());
}

} // namespace quadrel
