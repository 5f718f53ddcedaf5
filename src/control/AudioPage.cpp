#include "control/AudioPage.h"

#include "control/AudioCaps.h"
#include "control/MutePicture.h"
#include "control/OwnEnabled.h"
#include "control/PanelColours.h"
#include "control/PanelNavigator.h"
#include "control/PortSelection.h"
#include "control/ScopedFlag.h"
#include "model/QuadrelCore.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

#include <vector>

namespace quadrel {

AudioPage::AudioPage(QuadrelCore& core, TimerFactory& timers, FramePart& frame, QWidget* parent)
    : QWidget(parent), core_(core), sco_(new QScrollBar(Qt::Vertical, this)),
      chkSelAll_(new QCheckBox(tr("Select all"), this)),
      group_(new SelectedAudioGroup(core, timers, frame, this)) {
    // The frame's picAudioWindow holds the page; the page is what Enable_AudioControl
    // switches.
    setObjectName(QStringLiteral("AudioPage"));
    auto* control = new QWidget(this);
    control->setObjectName(QStringLiteral("picAudioControl"));
    auto* grid = new QGridLayout(control);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);
    for (int i = 0; i < kPanels; ++i) {
        auto* panel = new AudioOutputPanel(i, control);
        panels_[static_cast<size_t>(i)] = panel;
        grid->addWidget(panel, i / 2, i % 2);
        connect(
            panel->chkAudioOutput(), &SelectBox::picked, this,
            [this, i](Qt::MouseButton b, Qt::KeyboardModifiers m) { AudioOutput_Picked(i, b, m); });
    }
    std::vector<QWidget*> boxes;
    for (AudioOutputPanel* panel : panels_) {
        boxes.push_back(panel->chkAudioOutput());
    }
    new PanelNavigator(control, sco_, std::move(boxes), 2, [this] { return OutputCount(); });
    sco_->setObjectName(QStringLiteral("scoAudioOutput"));
    sco_->setAccessibleName(tr("Scroll outputs"));
    sco_->setRange(0, 0);
    sco_->setSingleStep(1);
    sco_->setPageStep(2); // one row of panels
    connect(sco_, &QScrollBar::valueChanged, this, [this] {
        if (OwnEnabled(sco_)) {
            Draw_AudioOutputPanels();
        }
    });
    chkSelAll_->setObjectName(QStringLiteral("chkSelAllAudioOutput"));
    connect(chkSelAll_, &QCheckBox::toggled, this, [this] { chkSelAllAudioOutput_Click(); });

    // On a short screen the panels scroll and the group stays in view
    // below them: the one scroll area of the page.
    auto* area = new QScrollArea(this);
    area->setObjectName(QStringLiteral("scrAudioOutputPanels"));
    area->setFrameShape(QFrame::NoFrame);
    // Not a Tab stop of its own: the panels' boxes and the port scroll bar are.
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidget(control);
    area->setMinimumHeight(panels_[0]->sizeHint().height() + grid->spacing());
    area->setMinimumWidth(control->minimumSizeHint().width());
    auto* top = new QHBoxLayout;
    top->setSpacing(2);
    top->addWidget(area, 1);
    top->addWidget(sco_);
    auto* box = new QVBoxLayout(this);
    box->addLayout(top, 1);
    box->addWidget(chkSelAll_);
    box->addWidget(group_);

    sco_->setEnabled(false);
    chkSelAll_->setEnabled(false);
    for (AudioOutputPanel* p : panels_) {
        p->setEnabled(false);
    }
}

AudioPage::~AudioPage() = default;

int AudioPage::OutputCount() const {
    const UnitRef& unit = core_.model.objSelectedUnit;
    return IsUnitConnected(unit) ? std::clamp(unit->iOutputCount(), 0, kMaxPort) : 0;
}

std::optional<int> AudioPage::PanelOf(int output) const {
    const int i = output - 1 - sco_->value();
    if (output < 1 || output > kMaxPort || i < 0 || i >= kPanels) {
        return std::nullopt;
    }
    return i;
}

void AudioPage::Setup_AudioOutputScroll() {
    const int count = OutputCount();
    sco_->setEnabled(false);
    sco_->setValue(0);
    sco_->setMaximum(std::max(count - kPanels, 0));
    if (count > kPanels) {
        sco_->setEnabled(true);
    }
    Draw_AudioOutputPanels();
}

void AudioPage::Draw_AudioOutputPanels() {
    for (int i = 0; i < kPanels; ++i) {
        const int n = sco_->value() + i + 1;
        SelectBox* box = panels_[static_cast<size_t>(i)]->chkAudioOutput();
        const QString name = NameOf(names_, {NameKind::Output, n});
        box->setText(NamedCaption(QString::number(n), name, box->fontMetrics(),
                                  CaptionWidth(box->fontMetrics()), true));
        SetNamedTip(box, {NameKind::Output, n}, name);
        Draw_AudioOutput(n);
    }
}

void AudioPage::Enable_AudioControl(bool enabled) {
    enabled = enabled && IsUnitConnected(core_.model.objSelectedUnit);
    setEnabled(enabled);
    const int count = enabled ? OutputCount() : 0;
    const AudioCaps caps = enabled ? AudioCaps::Of(core_.model.objSelectedUnit) : AudioCaps();
    const bool any = caps.Any();
    for (int n = 1; n <= kMaxPort; ++n) {
        core_.model.AudioOutputSelect[n].blEnabled = n <= count && any;
    }
    for (int i = 0; i < kPanels; ++i) {
        AudioOutputPanel* panel = panels_[static_cast<size_t>(i)];
        const int n = sco_->value() + i + 1;
        const bool e = n <= kMaxPort && core_.model.AudioOutputSelect[n].blEnabled;
        panel->setEnabled(e && any);
        panel->chkAudioOutput()->setEnabled(e);
        panel->imgMute()->setEnabled(e && caps.volume);
        const std::array<bool, AudioOutputPanel::RowCount> on{e && caps.volume, e && caps.bass,
                                                              e && caps.treble, e && caps.subwoofer,
                                                              e && caps.delay};
        for (int r = 0; r < AudioOutputPanel::RowCount; ++r) {
            const auto& row = panel->row(static_cast<AudioOutputPanel::Row>(r));
            row.caption->setEnabled(on[static_cast<size_t>(r)]);
            row.number->setEnabled(on[static_cast<size_t>(r)]);
        }
        Draw_AudioOutput(n);
    }
    CheckSelectedAudioOutput();
    chkSelAll_->setEnabled(any);
    sco_->setEnabled(count > kPanels);
    if (count <= kPanels && sco_->value() != 0) {
        // Back to the first outputs, with the panels showing them.
        sco_->setValue(0);
        Draw_AudioOutputPanels();
    }
}

void AudioPage::CheckSelectedAudioOutput() {
    group_->EnableFor(PortSelection::AnySelected(core_.model.AudioOutputSelect),
                      AudioCaps::Of(core_.model.objSelectedUnit));
}

bool AudioPage::IsAllAudioOutputSelected() const {
    return PortSelection::IsAllSelected(core_.model.AudioOutputSelect);
}

void AudioPage::ShowSelAll() {
    if (chkSelAll_->isChecked() != IsAllAudioOutputSelected()) {
        ScopedFlag guard(blSkipSelAllAudioOutput_);
        chkSelAll_->setChecked(IsAllAudioOutputSelected());
    }
}

void AudioPage::UntickSelAllAudioOutput() {
    ScopedFlag guard(blSkipSelAllAudioOutput_);
    chkSelAll_->setChecked(false);
}

void AudioPage::AudioOutput_Picked(int index, Qt::MouseButton button,
                                   Qt::KeyboardModifiers modifiers) {
    if (blSkipAudioOutputClick_) {
        return;
    }
    const int n = sco_->value() + index + 1;
    if (n > kMaxPort) {
        return;
    }
    PortSelection::Apply(core_.model.AudioOutputSelect, n, OutputCount(),
                         PortSelection::ClickOf(button, modifiers), iLastAudioOutput_);
    ShowSelAll();
    for (int i = 0; i < kPanels; ++i) {
        Draw_AudioOutputSelect(sco_->value() + i + 1);
    }
    CheckSelectedAudioOutput();
}

void AudioPage::chkSelAllAudioOutput_Click() {
    if (blSkipSelAllAudioOutput_) {
        return;
    }
    PortSelection::SetAll(core_.model.AudioOutputSelect, chkSelAll_->isChecked(), OutputCount());
    {
        ScopedFlag guard(blSkipAudioOutputClick_);
        for (int i = 0; i < kPanels; ++i) {
            Draw_AudioOutputSelect(sco_->value() + i + 1);
        }
    }
    CheckSelectedAudioOutput();
}

void AudioPage::Draw_AudioOutput(int output) {
    Draw_AudioOutputSelect(output);
    Draw_AudioOutputMute(output);
    Draw_AudioOutputVolumnLevel(output);
    Draw_AudioOutputBassLevel(output);
    Draw_AudioOutputTrebleLevel(output);
    Draw_AudioOutputSubwooferLevel(output);
    Draw_AudioOutputDelayTime(output);
}

void AudioPage::Draw_AudioOutputSelect(int output) {
    const std::optional<int> i = PanelOf(output);
    if (!i) {
        return;
    }
    AudioOutputPanel* panel = panels_[static_cast<size_t>(*i)];
    const bool selected = core_.model.AudioOutputSelect[output].blSelected;
    {
        // The box always shows the output's selection.
        ScopedFlag guard(blSkipAudioOutputClick_);
        panel->chkAudioOutput()->setChecked(selected);
    }
    PanelColours::Paint(panel, PanelColours::Of(OwnEnabled(panel), selected));
}

void AudioPage::Draw_AudioOutputMute(int output) {
    const std::optional<int> i = PanelOf(output);
    if (!i) {
        return;
    }
    AudioOutputPanel* panel = panels_[static_cast<size_t>(*i)];
    if (!OwnEnabled(panel)) {
        panel->imgMute()->setVisible(false);
        return;
    }
    const int status = core_.model.AudioOutputs[output].lMuteStatus;
    panel->ShowMutePicture(MuteKey(OwnEnabled(panel->imgMute()) ? status : 0));
    panel->imgMute()->setVisible(true);
}

void AudioPage::DrawBar(int output, AudioOutputPanel::Row r) {
    const std::optional<int> i = PanelOf(output);
    if (!i) {
        return;
    }
    const AudioOutputPanel::BarRow& row = panels_[static_cast<size_t>(*i)]->row(r);
    if (!OwnEnabled(row.number)) {
        row.bar->ShowDisabled();
        row.number->clear();
        return;
    }
    const AUDIO_OUTPUT_STATUS& s = core_.model.AudioOutputs[output];
    int64_t value = 0;
    int64_t full = 100;
    switch (r) {
    case AudioOutputPanel::Volumn:
        value = s.iVolumnLevel;
        break;
    case AudioOutputPanel::Bass:
        value = s.iBassLevel;
        break;
    case AudioOutputPanel::Treble:
        value = s.iTrebleLevel;
        break;
    case AudioOutputPanel::Subwoofer:
        value = s.iSubwooferLevel;
        break;
    default: {
        value = s.lDelayTime;
        const UnitRef& unit = core_.model.objSelectedUnit;
        const auto audio = unit ? unit->objAudioINFO() : nullptr;
        full = audio ? audio->iMaxDelayTime() : 0; // 0: an empty bar
        break;
    }
    }
    row.bar->ShowValue(value, full);
    row.number->setText(r == AudioOutputPanel::Delay ? QStringLiteral("%1 ms").arg(value)
                                                     : QString::number(value));
}

void AudioPage::Draw_AudioOutputVolumnLevel(int output) {
    DrawBar(output, AudioOutputPanel::Volumn);
}
void AudioPage::Draw_AudioOutputBassLevel(int output) {
    DrawBar(output, AudioOutputPanel::Bass);
}
void AudioPage::Draw_AudioOutputTrebleLevel(int output) {
    DrawBar(output, AudioOutputPanel::Treble);
}
void AudioPage::Draw_AudioOutputSubwooferLevel(int output) {
    DrawBar(output, AudioOutputPanel::Subwoofer);
}
void AudioPage::Draw_AudioOutputDelayTime(int output) {
    DrawBar(output, AudioOutputPanel::Delay);
}

void AudioPage::RestartSelectedRedraw(AudioValue value) {
    group_->RestartSelectedRedraw(value);
}

bool AudioPage::IsSelectedRedrawRunning(AudioValue value) const {
    return group_->IsSelectedRedrawRunning(value);
}

void AudioPage::Setup_SelectedDelayRange(int maxDelayTime, int delayUnit) {
    group_->Setup_SelectedDelayRange(maxDelayTime, delayUnit);
}

void AudioPage::ShowNames(const UnitNames& names) {
    if (names != names_) {
        names_ = names;
        Draw_AudioOutputPanels();
    }
}

std::optional<NamedPort> AudioPage::PortOf(const QObject* widget) const {
    for (int i = 0; i < kPanels; ++i) {
        const AudioOutputPanel* panel = panels_[static_cast<size_t>(i)];
        const int n = sco_->value() + i + 1;
        if ((widget == panel || widget == panel->chkAudioOutput()) && n <= OutputCount()) {
            return NamedPort{NameKind::Output, n};
        }
    }
    return std::nullopt;
}

QList<QWidget*> AudioPage::NameTargets() const {
    QList<QWidget*> targets;
    for (AudioOutputPanel* panel : panels_) {
        targets << panel << panel->chkAudioOutput();
    }
    return targets;
}

} // namespace quadrel
