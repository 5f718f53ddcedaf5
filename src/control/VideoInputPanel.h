#pragma once

#include "control/SelectBox.h"

#include <QButtonGroup>
#include <QFrame>
#include <QLabel>
#include <QRadioButton>

namespace quadrel {

// One input's panel of the video page (picVideoInput): its check box, its
// plug state, and the exclusive pair "Fixed EDID" / "EDID of output 1" of
// EDID types 0 and 1.
class VideoInputPanel : public QFrame {
    Q_OBJECT
public:
    enum class Plug { None, Plugged, Unplugged, Unknown }; // None: the unit detects no plugs

    VideoInputPanel(int index, QWidget* parent = nullptr);

    SelectBox* chkVideoInput() const { return chk_; }
    QRadioButton* optFixEdid() const { return fix_; }
    QRadioButton* optOutput1Edid() const { return output1_; }
    QLabel* lblVideoInputPlug() const { return plug_; }

    // Input `input`'s plug state in words, with a tool tip.
    void ShowPlug(int input, Plug plug);

    // Sets the option of EDID type 0 or 1; any other type changes nothing.
    void ShowType(int type);
    void ClearOptions();
    // The panel's background, which its two options take as well.
    void Paint(const QColor& colour);

private:
    SelectBox* chk_;
    QLabel* plug_;
    QRadioButton* fix_;
    QRadioButton* output1_;
    QButtonGroup* pair_;
};

} // namespace quadrel
