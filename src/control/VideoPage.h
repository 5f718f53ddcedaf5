#pragma once

#include "control/NamedPorts.h"
#include "control/VideoInputPanel.h"
#include "model/ViewParts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QWidget>

#include <array>
#include <optional>

namespace quadrel {

class FramePart;
class QuadrelCore;

// The "Video" page: the selected unit's video inputs as sixteen scrolling
// panels (four by four), each with its plug state and EDID type, the
// "Select all" box, and the group of the ticked inputs' EDID. It shows only
// what the unit reported; a selected unit that stops answering keeps its last
// known values on the page, greyed and captioned as not current.
class VideoPage : public QWidget, public VideoViewPart, public NamedPortsView {
    Q_OBJECT
public:
    static constexpr int kPanels = 16;

    // `frame` shows the busy pointer after the group's query.
    VideoPage(QuadrelCore& core, FramePart& frame, QWidget* parent = nullptr);
    ~VideoPage() override;

    // VideoViewPart
    void Setup_VideoInputScroll() override;
    void Draw_VideoInput(int input) override;
    void Draw_SelectedEdidType() override;
    void Enable_VideoControl(bool enabled) override;
    void ResetVideoAnchor() override { iLastVideoInput_ = -1; }
    void UntickSelAllVideoInput() override;

    void CheckSelectedVideoInput();
    bool IsAllVideoInputSelected() const;
    void EdidTypeChange(int index);
    void SelectedEdidTypeChange();
    void Draw_VideoInputSelect(int input);
    void Draw_VideoInputPanels();

    VideoInputPanel* picVideoInput(int i) const { return panels_.at(static_cast<size_t>(i)); }
    QScrollBar* scoVideoInput() const { return sco_; }
    QCheckBox* chkSelAllVideoInput() const { return chkSelAll_; }
    QGroupBox* fraSelectedVideoInput() const { return fra_; }
    QRadioButton* optSelectedFixEdid() const { return optFix_; }
    QRadioButton* optSelectedOutput1Edid() const { return optOutput1_; }
    QLabel* lblNotCurrent() const { return lblNotCurrent_; }
    int iLastVideoInput() const { return iLastVideoInput_; }

    // NamedPortsView: a panel's box carries its port's number and name.
    void ShowNames(const UnitNames& names) override;
    std::optional<NamedPort> PortOf(const QObject* widget) const override;
    QList<QWidget*> NameTargets() const override;

private:
    std::optional<int> PanelOf(int input) const;
    // The inputs the operator can act on, and whether the unit takes an EDID
    // choice: nothing while it is silent.
    int InputCount() const;
    bool EdidSupported() const;
    // What the last known values are shown for, answering or not.
    int KnownInputCount() const;
    bool EdidKnown() const;
    VideoInputPanel::Plug PlugOf(int input) const;
    void VideoInput_Picked(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void chkSelAllVideoInput_Click();
    void ShowSelAll();

    QuadrelCore& core_;
    FramePart& frame_;
    std::array<VideoInputPanel*, kPanels> panels_{};
    QScrollBar* sco_;
    QCheckBox* chkSelAll_;
    QGroupBox* fra_;
    QRadioButton* optFix_;
    QRadioButton* optOutput1_;
    QButtonGroup* pair_;
    QLabel* lblNotCurrent_;
    int iLastVideoInput_ = -1;
    bool blSkipVideoInputClick_ = false;
    bool blSkipSelAllVideoInput_ = false;
    bool blSkipEdidTypeChange_ = false;
    bool blSkipSelectedEdidType_ = false;
    UnitNames names_;
};

} // namespace quadrel
