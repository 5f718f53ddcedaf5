#pragma once

#include "control/AudioCaps.h"
#include "control/MutePicture.h"
#include "control/UpDown.h"
#include "link/Timer.h"
#include "model/Views.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QWidget>

#include <array>
#include <memory>

namespace quadrel {

class FramePart;
class LevelEntry;
class QuadrelCore;

// The controls that act on the ticked outputs (fraSelectedAudioOutput):
// mute, and a slider, up-down and text box for each level and the delay.
// Each change goes out as one setting per ticked output and one query; the
// controls follow the unit's answers 500 ms after the last of a kind, except
// what is under the operator's hand: a text box being typed in, a slider
// being held (its text box then shows the value under the handle). A held
// slider sends the value under its handle at most every 100 ms, and its
// last value when let go, so a level can be ridden by ear. A typed value the
// unit would not take is refused with a message, by the same rule as
// quadrel-ctl's.
class SelectedAudioGroup : public QWidget {
    Q_OBJECT
public:
    enum Row { Volumn, Bass, Treble, Subwoofer, Delay, RowCount };
    struct LevelRow {
        QLabel* lbl = nullptr;
        QSlider* sld = nullptr;
        UpDown* ud = nullptr;
        QLineEdit* txt = nullptr;
        QLabel* unit = nullptr; // "ms", the delay row only
        LevelEntry* entry = nullptr;
        bool blSkip = false;     // blSkipSelected...
        bool heldRedraw = false; // a redraw waited for the slider's release
        std::unique_ptr<Timer> timer;
        std::unique_ptr<Timer> drag; // runs while a held slider's last send is recent
    };

    SelectedAudioGroup(QuadrelCore& core, TimerFactory& timers, FramePart& frame,
                       QWidget* parent = nullptr);
    ~SelectedAudioGroup() override;

    // CheckSelectedAudioOutput, steps 3 to 6.
    void EnableFor(bool selected, const AudioCaps& caps);

    void SelectedVolumnLevelChange(int v) { LevelChange(Volumn, v); }
    void SelectedBassLevelChange(int v) { LevelChange(Bass, v); }
    void SelectedTrebleLevelChange(int v) { LevelChange(Treble, v); }
    void SelectedSubwooferLevelChange(int v) { LevelChange(Subwoofer, v); }
    void SelectedDelayTimeChange(int64_t milliseconds) { DelayChange(milliseconds); }
    void chkSelectedMuteStatus_Click();

    void RestartSelectedRedraw(AudioValue value);
    bool IsSelectedRedrawRunning(AudioValue value) const;
    void Setup_SelectedDelayRange(int maxDelayTime, int delayUnit);

    void Draw_SelectedAudioOutput();
    void Draw_SelectedMuteStatus();
    void Draw_SelectedRow(Row r); // Draw_SelectedVolumnLevel ... Draw_SelectedDelayTime

    QCheckBox* chkSelectedMuteStatus() const { return chkMute_; }
    MuteImage* imgSelectedMuteStatus() const { return imgMute_; }
    const LevelRow& row(Row r) const { return rows_[r]; }
    bool blSkipSelectedMuteStatus() const { return blSkipMute_; }

private:
    // False when the value was refused (nothing changed, nothing sent).
    bool LevelChange(Row r, int v);
    bool DelayChange(int64_t milliseconds);
    bool Change(Row r, int64_t v) { return r == Delay ? DelayChange(v) : LevelChange(r, int(v)); }
    void TextCommit(Row r, const QString& text);
    void Refuse(const QString& text);
    void SliderMoved(Row r, int position);
    void DragTick(Row r);
    void SliderReleased(Row r);
    bool GroupEnabled() const;
    Timer& TimerOf(AudioValue value) const;

    QuadrelCore& core_;
    FramePart& frame_;
    QCheckBox* chkMute_;
    MuteImage* imgMute_;
    bool blSkipMute_ = false;
    std::unique_ptr<Timer> timMute_;
    std::array<LevelRow, RowCount> rows_;
};

} // namespace quadrel
