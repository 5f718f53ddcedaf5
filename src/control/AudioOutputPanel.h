#pragma once

#include "control/LevelBar.h"
#include "control/MutePicture.h"
#include "control/SelectBox.h"

#include <QFrame>
#include <QLabel>

#include <array>
#include <cstdint>

class QFontMetrics;

namespace quadrel {

// One output's panel of the audio page (picAudioOutput): its check box, the
// mute picture, and a caption, bar and number for each of the five values.
// It only shows what the page tells it.
class AudioOutputPanel : public QFrame {
    Q_OBJECT
public:
    enum Row { Volumn, Bass, Treble, Subwoofer, Delay, RowCount };
    struct BarRow {
        QLabel* caption = nullptr;
        LevelBar* bar = nullptr;
        QLabel* number = nullptr; // lbl...Level, or lblDelayTime
    };

    AudioOutputPanel(int index, QWidget* parent = nullptr);

    SelectBox* chkAudioOutput() const { return chk_; }
    // Room for the box's caption, "Output 255" and some twelve letters of its
    // name; a longer name is cut short there and whole in the tool tip.
    static int CaptionRoom(const QFontMetrics& metrics);
    // A delay as the panel's number shows it: "40 ms".
    static QString DelayText(int64_t milliseconds);
    MuteImage* imgMute() const { return img_; }
    const BarRow& row(Row r) const { return rows_[r]; }

    // The picture keyed "Mute" or "Unmute"; the key is kept for tests and
    // screen readers.
    void ShowMutePicture(const QString& key);

private:
    SelectBox* chk_;
    MuteImage* img_;
    std::array<BarRow, RowCount> rows_;
};

} // namespace quadrel
