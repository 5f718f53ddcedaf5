#pragma once

#include "control/SelectBox.h"

#include <QButtonGroup>
#include <QFrame>
#include <QRadioButton>

namespace quadrel {

// One input's panel of the video page (picVideoInput): its check box and the
// exclusive pair "Fix" / "Output 1" of EDID types 0 and 1.
class VideoInputPanel : public QFrame {
    Q_OBJECT
public:
    VideoInputPanel(int index, QWidget* parent = nullptr);

    SelectBox* chkVideoInput() const { return chk_; }
    QRadioButton* optFixEdid() const { return fix_; }
    QRadioButton* optOutput1Edid() const { return output1_; }

    // Sets the option of EDID type 0 or 1; any other type changes nothing.
    void ShowType(int type);
    void ClearOptions();
    // The panel's background, which its two options take as well.
    void Paint(const QColor& colour);

private:
    SelectBox* chk_;
    QRadioButton* fix_;
    QRadioButton* output1_;
    QButtonGroup* pair_;
};

} // namespace quadrel
