#pragma once

#include "control/AudioOutputPanel.h"
#include "control/NamedPorts.h"
#include "control/SelectedAudioGroup.h"
#include "model/ViewParts.h"

#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>
#include <QWidget>

#include <functional>

#include <array>
#include <optional>

namespace quadrel {

class FramePart;
class PanelGrid;
class PanelNavigator;
class QuadrelCore;

// The "Audio" page: the selected unit's audio outputs as scrolling panels in
// two columns, as many rows as the page's height holds (four by design), the
// "Select all" box, and the group of controls for the ticked outputs. It
// draws only from the model, and only what the unit reported; its changes go
// to the unit and come back through the replies. A selected unit that stops
// answering keeps its last known values on the page, greyed and captioned
// as not current.
class AudioPage : public QWidget, public AudioViewPart, public NamedPortsView {
    Q_OBJECT
public:
    static constexpr int kPanels = 16; // the most the page shows: eight rows
    static constexpr int kColumns = 2;

    // `timers` makes the six redraw timers of the group; `frame` shows the
    // busy pointer after a query.
    AudioPage(QuadrelCore& core, TimerFactory& timers, FramePart& frame, QWidget* parent = nullptr);
    ~AudioPage() override;

    // AudioViewPart
    void Setup_AudioOutputScroll() override;
    void Draw_AudioOutputMute(int output) override;
    void Draw_AudioOutputVolumnLevel(int output) override;
    void Draw_AudioOutputBassLevel(int output) override;
    void Draw_AudioOutputTrebleLevel(int output) override;
    void Draw_AudioOutputSubwooferLevel(int output) override;
    void Draw_AudioOutputDelayTime(int output) override;
    void RestartSelectedRedraw(AudioValue value) override;
    bool IsSelectedRedrawRunning(AudioValue value) const override;
    void Setup_SelectedDelayRange(int maxDelayTime, int delayUnit) override;
    void Enable_AudioControl(bool enabled) override;
    void ResetAudioAnchor() override { iLastAudioOutput_ = -1; }
    void UntickSelAllAudioOutput() override;

    void CheckSelectedAudioOutput();
    bool IsAllAudioOutputSelected() const;
    void Draw_AudioOutput(int output);
    void Draw_AudioOutputSelect(int output);
    void Draw_AudioOutputPanels();
    // Why an output may not be touched now (the window is locked), or empty;
    // its panel is then disabled with the reason as its tool tip.
    void setOutputRefusal(std::function<QString(int output)> refusal) {
        outputRefusal_ = std::move(refusal);
    }
    void RoleChanged() { EnablePanels(); }

    void SelectedVolumnLevelChange(int v) { group_->SelectedVolumnLevelChange(v); }
    void SelectedBassLevelChange(int v) { group_->SelectedBassLevelChange(v); }
    void SelectedTrebleLevelChange(int v) { group_->SelectedTrebleLevelChange(v); }
    void SelectedSubwooferLevelChange(int v) { group_->SelectedSubwooferLevelChange(v); }
    void SelectedDelayTimeChange(int64_t ms) { group_->SelectedDelayTimeChange(ms); }

    AudioOutputPanel* picAudioOutput(int i) const { return panels_.at(static_cast<size_t>(i)); }
    // The panels on screen, from panel 0.
    int PanelsShown() const { return shown_; }
    QScrollBar* scoAudioOutput() const { return sco_; }
    QLabel* lblNotCurrent() const { return lblNotCurrent_; }
    QCheckBox* chkSelAllAudioOutput() const { return chkSelAll_; }
    SelectedAudioGroup* fraSelectedAudioOutput() const { return group_; }
    int iLastAudioOutput() const { return iLastAudioOutput_; }

    // NamedPortsView: a panel's box carries its port's number and name.
    void ShowNames(const UnitNames& names) override;
    std::optional<NamedPort> PortOf(const QObject* widget) const override;
    QList<QWidget*> NameTargets() const override;

private:
    // The panel showing `output`, when it is on screen.
    std::optional<int> PanelOf(int output) const;
    // The outputs the operator can act on: none while the unit is silent.
    int OutputCount() const;
    // The outputs whose last known values are shown, answering or not.
    int KnownOutputCount() const;
    void SetShown(int shown);
    void EnablePanels();
    void ShowNotCurrent();
    void AudioOutput_Picked(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void imgMute_Click(int index);
    void chkSelAllAudioOutput_Click();
    void ShowSelAll();
    void DrawBar(int output, AudioOutputPanel::Row row);

    QuadrelCore& core_;
    FramePart& frame_;
    std::array<AudioOutputPanel*, kPanels> panels_{};
    PanelGrid* grid_;
    PanelNavigator* navigator_ = nullptr;
    int shown_ = 0;
    QLabel* lblNotCurrent_;
    QScrollBar* sco_;
    QCheckBox* chkSelAll_;
    SelectedAudioGroup* group_;
    int iLastAudioOutput_ = -1;
    bool blSkipAudioOutputClick_ = false;
    bool blSkipSelAllAudioOutput_ = false;
    UnitNames names_;
    std::function<QString(int)> outputRefusal_;
};

} // namespace quadrel
