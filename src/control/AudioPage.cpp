#include "control/AudioPage.h"

#include "control/AudioCaps.h"
#include "control/MutePicture.h"
#include "control/NotCurrent.h"
#include "control/OwnEnabled.h"
#include "control/PanelColours.h"
#include "control/PanelGrid.h"
#include "control/PanelNavigator.h"
#include "control/PortSelection.h"
#include "control/ScopedFlag.h"
#include "model/QuadrelCore.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <vector>

namespace quadrel {

namespace {

// What the unit reported, by the rows of a panel.
constexpr std::array<Reported, AudioOutputPanel::RowCount> kReported{
    Reported::Volumn, Reported::Bass, Reported::Treble, Reported::Subwoofer, Reported::Delay};

} // namespace

AudioPage::AudioPage(QuadrelCore& core, TimerFactory& timers, FramePart& frame, QWidget* parent)
    : QWidget(parent), core_(core), frame_(frame), grid_(new PanelGrid(kColumns, 4, this)),
      lblNotCurrent_(new QLabel(this)), sco_(new QScrollBar(Qt::Vertical, this)),
      chkSelAll_(new QCheckBox(tr("Select all"), this)),
      group_(new SelectedAudioGroup(core, timers, frame, this)) {
    // The frame's picAudioWindow holds the page; the page is what Enable_AudioControl
    // switches.
    setObjectName(QStringLiteral("AudioPage"));
    grid_->setObjectName(QStringLiteral("picAudioControl"));
    std::vector<QWidget*> boxes;
    std::vector<QWidget*> panels;
    for (int i = 0; i < kPanels; ++i) {
        auto* panel = new AudioOutputPanel(i, grid_);
        panels_[static_cast<size_t>(i)] = panel;
        panels.push_back(panel);
        boxes.push_back(panel->chkAudioOutput());
        connect(
            panel->chkAudioOutput(), &SelectBox::picked, this,
            [this, i](Qt::MouseButton b, Qt::KeyboardModifiers m) { AudioOutput_Picked(i, b, m); });
        connect(panel->imgMute(), &MuteImage::clicked, this, [this, i] { imgMute_Click(i); });
    }
    grid_->setPanels(std::move(panels));
    shown_ = grid_->shown();
    navigator_ = new PanelNavigator(grid_, sco_, std::move(boxes), kColumns,
                                    [this] { return OutputCount(); });
    navigator_->setShown(shown_);
    connect(grid_, &PanelGrid::shownChanged, this, [this](int shown) { SetShown(shown); });
    sco_->setObjectName(QStringLiteral("scoAudioOutput"));
    sco_->setAccessibleName(tr("Scroll outputs"));
    sco_->setRange(0, 0);
    sco_->setSingleStep(1);
    sco_->setPageStep(kColumns); // one row of panels
    connect(sco_, &QScrollBar::valueChanged, this, [this] {
        if (OwnEnabled(sco_)) {
            Draw_AudioOutputPanels();
        }
    });
    chkSelAll_->setObjectName(QStringLiteral("chkSelAllAudioOutput"));
    connect(chkSelAll_, &QCheckBox::toggled, this, [this] { chkSelAllAudioOutput_Click(); });
    lblNotCurrent_->setObjectName(QStringLiteral("lblAudioNotCurrent"));
    NotCurrentLook(lblNotCurrent_);

    // The panels take the height the page has; the port scroll bar beside
    // them is the page's only one, and the group stays in view below.
    auto* top = new QHBoxLayout;
    top->setSpacing(2);
    top->addWidget(grid_, 1);
    top->addWidget(sco_);
    auto* box = new QVBoxLayout(this);
    box->addWidget(lblNotCurrent_);
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

int AudioPage::KnownOutputCount() const {
    const UnitRef& unit = core_.model.objSelectedUnit;
    return unit ? std::clamp(unit->iOutputCount(), 0, kMaxPort) : 0;
}

std::optional<int> AudioPage::PanelOf(int output) const {
    const int i = output - 1 - sco_->value();
    if (output < 1 || output > kMaxPort || i < 0 || i >= shown_) {
        return std::nullopt;
    }
    return i;
}

void AudioPage::SetShown(int shown) {
    shown_ = shown;
    navigator_->setShown(shown);
    const int count = KnownOutputCount();
    // A window that now holds every output scrolls back to the first.
    sco_->setEnabled(false);
    sco_->setMaximum(std::max(count - shown_, 0));
    sco_->setEnabled(count > shown_);
    EnablePanels();
    Draw_AudioOutputPanels();
}

void AudioPage::Setup_AudioOutputScroll() {
    const int count = KnownOutputCount();
    sco_->setEnabled(false);
    sco_->setValue(0);
    sco_->setMaximum(std::max(count - shown_, 0));
    if (count > shown_) {
        sco_->setEnabled(true);
    }
    Draw_AudioOutputPanels();
}

void AudioPage::Draw_AudioOutputPanels() {
    for (int i = 0; i < shown_; ++i) {
        const int n = sco_->value() + i + 1;
        SelectBox* box = panels_[static_cast<size_t>(i)]->chkAudioOutput();
        const QString name = NameOf(names_, {NameKind::Output, n});
        box->setText(NamedCaption(PortCaption({NameKind::Output, n}), name, box->fontMetrics(),
                                  AudioOutputPanel::CaptionRoom(box->fontMetrics()), true));
        SetNamedTip(box, {NameKind::Output, n}, name);
        Draw_AudioOutput(n);
    }
}

void AudioPage::ShowNotCurrent() {
    const UnitRef& unit = core_.model.objSelectedUnit;
    const bool silent = unit && !unit->blConnected();
    lblNotCurrent_->setText(silent ? NotCurrentText(unit->bID()) : QString());
    lblNotCurrent_->setVisible(silent);
}

void AudioPage::Enable_AudioControl(bool enabled) {
    const UnitRef& unit = core_.model.objSelectedUnit;
    setEnabled(enabled && IsUnitConnected(unit));
    ShowNotCurrent();
    // A silent or busy unit's outputs keep their panels, greyed with the page.
    const int count = KnownOutputCount();
    const bool any = AudioCaps::Known(unit).Any();
    for (int n = 1; n <= kMaxPort; ++n) {
        core_.model.AudioOutputSelect[n].blEnabled = n <= count && any;
    }
    EnablePanels();
    CheckSelectedAudioOutput();
    chkSelAll_->setEnabled(any);
    sco_->setEnabled(count > shown_);
    if (count <= shown_ && sco_->value() != 0) {
        // Back to the first outputs, with the panels showing them.
        sco_->setValue(0);
        Draw_AudioOutputPanels();
    }
}

void AudioPage::EnablePanels() {
    const AudioCaps caps = AudioCaps::Known(core_.model.objSelectedUnit);
    const bool any = caps.Any();
    for (int i = 0; i < shown_; ++i) {
        AudioOutputPanel* panel = panels_[static_cast<size_t>(i)];
        const int n = sco_->value() + i + 1;
        const QString refused = outputRefusal_ ? outputRefusal_(n) : QString();
        const bool e =
            n <= kMaxPort && core_.model.AudioOutputSelect[n].blEnabled && refused.isEmpty();
        panel->setToolTip(refused);
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
}

void AudioPage::CheckSelectedAudioOutput() {
    group_->EnableFor(PortSelection::AnySelected(core_.model.AudioOutputSelect),
                      AudioCaps::Known(core_.model.objSelectedUnit));
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
    for (int i = 0; i < shown_; ++i) {
        Draw_AudioOutputSelect(sco_->value() + i + 1);
    }
    CheckSelectedAudioOutput();
}

// A click on a panel's speaker mutes or unmutes its output alone.
void AudioPage::imgMute_Click(int index) {
    AudioOutputPanel* panel = panels_[static_cast<size_t>(index)];
    const UnitRef unit = core_.model.objSelectedUnit;
    const int n = sco_->value() + index + 1;
    if (!IsUnitConnected(unit) || n > OutputCount() || !isEnabled() ||
        !OwnEnabled(panel->imgMute())) {
        return;
    }
    const AUDIO_OUTPUT_STATUS& status = core_.model.AudioOutputs[n];
    if (!status.reported.has(Reported::Mute)) {
        return; // neither state is known, so neither is the other one
    }
    const int mute = status.lMuteStatus == 1 ? 0 : 1;
    SettingValues target;
    ChangeHistory::Add(target, Setting::Mute, {n}, mute);
    const uint32_t tag = core_.history.Record(target);
    if (!core_.path.Send(Change::Of(unit->bID(), Setting::Mute, {n}, mute), tag).empty()) {
        frame_.SetBusyPointer(true);
    }
}

void AudioPage::chkSelAllAudioOutput_Click() {
    if (blSkipSelAllAudioOutput_) {
        return;
    }
    PortSelection::SetAll(core_.model.AudioOutputSelect, chkSelAll_->isChecked(), OutputCount());
    {
        ScopedFlag guard(blSkipAudioOutputClick_);
        for (int i = 0; i < shown_; ++i) {
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
    // A page disabled around it (a silent or busy unit) greys it as well.
    PanelColours::Paint(panel, PanelColours::Of(panel->isEnabled(), selected));
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
    const AUDIO_OUTPUT_STATUS& s = core_.model.AudioOutputs[output];
    const bool control = OwnEnabled(panel->imgMute());
    const bool known = s.reported.has(Reported::Mute);
    panel->ShowMutePicture(!control ? MuteKey(0)
                           : known  ? MuteKey(s.lMuteStatus)
                                    : UnknownMuteKey());
    panel->imgMute()->setToolTip(!control ? QString()
                                 : !known ? tr("Output %1: mute not reported yet").arg(output)
                                 : s.lMuteStatus == 1
                                     ? tr("Output %1 is muted: click to unmute").arg(output)
                                     : tr("Output %1 is not muted: click to mute").arg(output));
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
    if (!s.reported.has(kReported[r])) {
        row.bar->ShowUnknown();
        row.number->setText(QStringLiteral("–"));
        return;
    }
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
    row.number->setText(r == AudioOutputPanel::Delay ? AudioOutputPanel::DelayText(value)
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
    for (int i = 0; i < shown_; ++i) {
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
