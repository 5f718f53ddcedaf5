#include "control/VideoPage.h"

#include "control/AudioRules.h"
#include "control/NotCurrent.h"
#include "control/OwnEnabled.h"
#include "control/PanelColours.h"
#include "control/PanelNavigator.h"
#include "control/PortSelection.h"
#include "control/ScopedFlag.h"
#include "model/QuadrelCore.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <vector>

namespace quadrel {

namespace {

constexpr int32_t kQueryPriority = 1;

} // namespace

VideoPage::VideoPage(QuadrelCore& core, FramePart& frame, QWidget* parent)
    : QWidget(parent), core_(core), frame_(frame), sco_(new QScrollBar(Qt::Vertical, this)),
      chkSelAll_(new QCheckBox(tr("Select all"), this)),
      fra_(new QGroupBox(tr("EDID of the ticked inputs"), this)),
      optFix_(new QRadioButton(tr("Fixed EDID"), fra_)),
      optOutput1_(new QRadioButton(tr("EDID of output 1"), fra_)), pair_(new QButtonGroup(this)),
      lblNotCurrent_(new QLabel(this)) {
    // The frame's picVideoWindow holds the page; the page is what Enable_VideoControl
    // switches.
    setObjectName(QStringLiteral("VideoPage"));
    auto* control = new QWidget(this);
    control->setObjectName(QStringLiteral("Picture1"));
    auto* grid = new QGridLayout(control);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);
    for (int i = 0; i < kPanels; ++i) {
        auto* panel = new VideoInputPanel(i, control);
        panels_[static_cast<size_t>(i)] = panel;
        grid->addWidget(panel, i / 4, i % 4);
        connect(
            panel->chkVideoInput(), &SelectBox::picked, this,
            [this, i](Qt::MouseButton b, Qt::KeyboardModifiers m) { VideoInput_Picked(i, b, m); });
        for (QRadioButton* opt : {panel->optFixEdid(), panel->optOutput1Edid()}) {
            connect(opt, &QRadioButton::toggled, this, [this, i](bool on) {
                if (on) {
                    EdidTypeChange(i);
                }
            });
        }
        panel->setEnabled(false);
    }
    std::vector<QWidget*> boxes;
    for (VideoInputPanel* panel : panels_) {
        boxes.push_back(panel->chkVideoInput());
    }
    new PanelNavigator(control, sco_, std::move(boxes), 4, [this] { return InputCount(); });
    sco_->setObjectName(QStringLiteral("scoVideoInput"));
    sco_->setAccessibleName(tr("Scroll inputs"));
    sco_->setRange(0, 0);
    sco_->setSingleStep(1);
    sco_->setPageStep(4); // one row of panels
    sco_->setEnabled(false);
    connect(sco_, &QScrollBar::valueChanged, this, [this] {
        if (OwnEnabled(sco_)) {
            Draw_VideoInputPanels();
        }
    });
    chkSelAll_->setObjectName(QStringLiteral("chkSelAllVideoInput"));
    chkSelAll_->setEnabled(false);
    connect(chkSelAll_, &QCheckBox::toggled, this, [this] { chkSelAllVideoInput_Click(); });

    fra_->setObjectName(QStringLiteral("fraSelectedVideoInput"));
    fra_->setToolTip(tr("Which EDID the unit shows the sources on the ticked inputs"));
    optFix_->setObjectName(QStringLiteral("optSelectedFixEdid"));
    optFix_->setToolTip(tr("The unit shows the sources on the ticked inputs its own fixed EDID"));
    optOutput1_->setObjectName(QStringLiteral("optSelectedOutput1Edid"));
    optOutput1_->setToolTip(tr("The unit passes on to the sources on the ticked inputs the EDID "
                               "of the display on output 1"));
    lblNotCurrent_->setObjectName(QStringLiteral("lblVideoNotCurrent"));
    NotCurrentLook(lblNotCurrent_);
    pair_->addButton(optFix_, 0);
    pair_->addButton(optOutput1_, 1);
    for (QRadioButton* opt : {optFix_, optOutput1_}) {
        connect(opt, &QRadioButton::toggled, this, [this](bool on) {
            if (on) {
                SelectedEdidTypeChange();
            }
        });
    }
    auto* options = new QHBoxLayout(fra_);
    options->addWidget(optFix_);
    options->addWidget(optOutput1_);
    options->addStretch(1);

    auto* top = new QHBoxLayout;
    top->setSpacing(2);
    top->addWidget(control, 1);
    top->addWidget(sco_);
    auto* box = new QVBoxLayout(this);
    box->addWidget(lblNotCurrent_);
    box->addLayout(top, 1);
    box->addWidget(chkSelAll_);
    box->addWidget(fra_);
    CheckSelectedVideoInput();
}

VideoPage::~VideoPage() = default;

int VideoPage::InputCount() const {
    const UnitRef& unit = core_.model.objSelectedUnit;
    return IsUnitConnected(unit) ? std::clamp(unit->iInputCount(), 0, kMaxPort) : 0;
}

bool VideoPage::EdidSupported() const {
    return IsUnitConnected(core_.model.objSelectedUnit) && EdidKnown();
}

int VideoPage::KnownInputCount() const {
    const UnitRef& unit = core_.model.objSelectedUnit;
    return unit ? std::clamp(unit->iInputCount(), 0, kMaxPort) : 0;
}

bool VideoPage::EdidKnown() const {
    const UnitRef& unit = core_.model.objSelectedUnit;
    return unit && unit->objVideoINFO() && unit->objVideoINFO()->blSupportEdidTypeSelect();
}

VideoInputPanel::Plug VideoPage::PlugOf(int input) const {
    using Plug = VideoInputPanel::Plug;
    const UnitRef& unit = core_.model.objSelectedUnit;
    if (input > KnownInputCount() || !unit->objPlugINFO() ||
        !unit->objPlugINFO()->blSupportVideoInputPlugDetection()) {
        return Plug::None;
    }
    const VIDEO_INPUT_STATUS& s = core_.model.VideoInputs[input];
    if (!s.reported.has(Reported::Plug)) {
        return Plug::Unknown;
    }
    return s.lPlugStatus == 1   ? Plug::Plugged
           : s.lPlugStatus == 0 ? Plug::Unplugged
                                : Plug::Unknown;
}

std::optional<int> VideoPage::PanelOf(int input) const {
    const int i = input - 1 - sco_->value();
    if (input < 1 || input > kMaxPort || i < 0 || i >= kPanels) {
        return std::nullopt;
    }
    return i;
}

void VideoPage::Setup_VideoInputScroll() {
    const int count = KnownInputCount();
    sco_->setEnabled(false);
    sco_->setValue(0);
    sco_->setMaximum(std::max(count - kPanels, 0));
    if (count > kPanels) {
        sco_->setEnabled(true);
    }
    Draw_VideoInputPanels();
}

void VideoPage::Draw_VideoInputPanels() {
    for (int i = 0; i < kPanels; ++i) {
        const int n = sco_->value() + i + 1;
        SelectBox* box = panels_[static_cast<size_t>(i)]->chkVideoInput();
        const QString name = NameOf(names_, {NameKind::Input, n});
        box->setText(NamedCaption(PortCaption({NameKind::Input, n}), name, box->fontMetrics(),
                                  CaptionWidth(box->fontMetrics()), true));
        SetNamedTip(box, {NameKind::Input, n}, name);
        Draw_VideoInput(n);
    }
}

void VideoPage::Enable_VideoControl(bool enabled) {
    const UnitRef& unit = core_.model.objSelectedUnit;
    setEnabled(enabled && IsUnitConnected(unit));
    const bool silent = unit && !unit->blConnected();
    lblNotCurrent_->setText(silent ? NotCurrentText(unit->bID()) : QString());
    lblNotCurrent_->setVisible(silent);
    // A silent or busy unit's inputs keep their panels, greyed with the page.
    const int count = KnownInputCount();
    const bool edid = EdidKnown();
    for (int n = 1; n <= kMaxPort; ++n) {
        core_.model.VideoInputSelect[n].blEnabled = n <= count && edid;
    }
    for (int i = 0; i < kPanels; ++i) {
        VideoInputPanel* panel = panels_[static_cast<size_t>(i)];
        const int n = sco_->value() + i + 1;
        const bool e = n <= kMaxPort && core_.model.VideoInputSelect[n].blEnabled;
        panel->chkVideoInput()->setEnabled(e);
        panel->optFixEdid()->setEnabled(e && edid);
        panel->optOutput1Edid()->setEnabled(e && edid);
        panel->setEnabled(e);
        Draw_VideoInput(n);
    }
    CheckSelectedVideoInput();
    chkSelAll_->setEnabled(edid);
    sco_->setEnabled(count > kPanels);
    if (count <= kPanels && sco_->value() != 0) {
        sco_->setValue(0);
        Draw_VideoInputPanels();
    }
}

void VideoPage::CheckSelectedVideoInput() {
    const bool selected = PortSelection::AnySelected(core_.model.VideoInputSelect);
    const bool edid = EdidKnown();
    fra_->setEnabled(selected);
    optFix_->setEnabled(selected && edid);
    optOutput1_->setEnabled(selected && edid);
    Draw_SelectedEdidType();
}

bool VideoPage::IsAllVideoInputSelected() const {
    return PortSelection::IsAllSelected(core_.model.VideoInputSelect);
}

void VideoPage::ShowSelAll() {
    if (chkSelAll_->isChecked() != IsAllVideoInputSelected()) {
        ScopedFlag guard(blSkipSelAllVideoInput_);
        chkSelAll_->setChecked(IsAllVideoInputSelected());
    }
}

void VideoPage::UntickSelAllVideoInput() {
    ScopedFlag guard(blSkipSelAllVideoInput_);
    chkSelAll_->setChecked(false);
}

void VideoPage::VideoInput_Picked(int index, Qt::MouseButton button,
                                  Qt::KeyboardModifiers modifiers) {
    if (blSkipVideoInputClick_) {
        return;
    }
    const int n = sco_->value() + index + 1;
    if (n > kMaxPort) {
        return;
    }
    PortSelection::Apply(core_.model.VideoInputSelect, n, InputCount(),
                         PortSelection::ClickOf(button, modifiers), iLastVideoInput_);
    ShowSelAll();
    for (int i = 0; i < kPanels; ++i) {
        Draw_VideoInputSelect(sco_->value() + i + 1);
    }
    CheckSelectedVideoInput();
}

void VideoPage::chkSelAllVideoInput_Click() {
    if (blSkipSelAllVideoInput_) {
        return;
    }
    PortSelection::SetAll(core_.model.VideoInputSelect, chkSelAll_->isChecked(), InputCount());
    {
        ScopedFlag guard(blSkipVideoInputClick_);
        for (int i = 0; i < kPanels; ++i) {
            Draw_VideoInputSelect(sco_->value() + i + 1);
        }
    }
    CheckSelectedVideoInput();
}

void VideoPage::EdidTypeChange(int index) {
    if (blSkipEdidTypeChange_) {
        return;
    }
    const int n = sco_->value() + index + 1;
    if (n > kMaxPort) {
        return;
    }
    {
        ScopedFlag guard(blSkipVideoInputClick_);
        for (int m = 1; m <= kMaxPort; ++m) {
            core_.model.VideoInputSelect[m].blSelected = m == n;
        }
        VideoInputPanel* panel = panels_[static_cast<size_t>(index)];
        const int type = panel->optFixEdid()->isChecked() ? 0 : 1;
        const uint32_t tag = core_.history.Record({{{Setting::Edid, n}, type}});
        // The panel shows the choice before the unit answers.
        core_.model.VideoInputs[n].lEdidType = type;
        core_.model.VideoInputs[n].reported.mark(Reported::Edid);
        const UnitRef unit = core_.model.objSelectedUnit;
        if (IsUnitConnected(unit)) {
            Change change = Change::Of(unit->bID(), Setting::Edid, {n}, type);
            change.priority = kQueryPriority;
            change.follow = Change::Follow::EachPort;
            core_.path.Send(change, tag);
        }
        for (int j = 0; j < kPanels; ++j) {
            Draw_VideoInput(sco_->value() + j + 1);
        }
        ShowSelAll();
    }
    CheckSelectedVideoInput();
}

void VideoPage::SelectedEdidTypeChange() {
    const UnitRef unit = core_.model.objSelectedUnit;
    if (blSkipSelectedEdidType_ || !IsUnitConnected(unit)) {
        return;
    }
    const uint8_t type = optFix_->isChecked() ? 0 : 1;
    std::vector<int> inputs;
    for (int n = 1; n <= kMaxPort; ++n) {
        if (core_.model.VideoInputSelect[n].blSelected) {
            inputs.push_back(n);
        }
    }
    SettingValues target;
    ChangeHistory::Add(target, Setting::Edid, inputs, type);
    const uint32_t tag = core_.history.Record(target);
    if (!core_.path.Send(Change::Of(unit->bID(), Setting::Edid, inputs, type), tag).empty()) {
        frame_.SetBusyPointer(true);
    }
}

void VideoPage::Draw_VideoInputSelect(int input) {
    const std::optional<int> i = PanelOf(input);
    if (!i) {
        return;
    }
    VideoInputPanel* panel = panels_[static_cast<size_t>(*i)];
    const bool selected = core_.model.VideoInputSelect[input].blSelected;
    {
        // The box always shows the input's selection.
        ScopedFlag guard(blSkipVideoInputClick_);
        panel->chkVideoInput()->setChecked(selected);
    }
    // A page disabled around it (a silent or busy unit) greys it as well.
    panel->Paint(PanelColours::Of(panel->isEnabled(), selected));
}

void VideoPage::Draw_VideoInput(int input) {
    const std::optional<int> i = PanelOf(input);
    if (!i) {
        return;
    }
    ScopedFlag guard(blSkipEdidTypeChange_);
    Draw_VideoInputSelect(input);
    VideoInputPanel* panel = panels_[static_cast<size_t>(*i)];
    const VIDEO_INPUT_STATUS& s = core_.model.VideoInputs[input];
    if (OwnEnabled(panel) && s.reported.has(Reported::Edid)) {
        panel->ShowType(s.lEdidType);
    } else {
        panel->ClearOptions();
    }
    panel->ShowPlug(input, PlugOf(input));
}

void VideoPage::Draw_SelectedEdidType() {
    AudioRules::CommonValue common;
    if (OwnEnabled(fra_) && EdidKnown()) {
        for (int n = 1; n <= kMaxPort; ++n) {
            const VIDEO_INPUT_STATUS& s = core_.model.VideoInputs[n];
            if (!core_.model.VideoInputSelect[n].blSelected) {
                continue;
            }
            if (s.reported.has(Reported::Edid)) {
                common.Add(s.lEdidType);
            } else {
                common.AddUnknown();
            }
        }
    }
    ScopedFlag guard(blSkipSelectedEdidType_);
    if (common.IsCommon() && common.Value() == 0) {
        optFix_->setChecked(true);
    } else if (common.IsCommon() && common.Value() == 1) {
        optOutput1_->setChecked(true);
    } else {
        pair_->setExclusive(false);
        optFix_->setChecked(false);
        optOutput1_->setChecked(false);
        pair_->setExclusive(true);
    }
}

void VideoPage::ShowNames(const UnitNames& names) {
    if (names != names_) {
        names_ = names;
        Draw_VideoInputPanels();
    }
}

std::optional<NamedPort> VideoPage::PortOf(const QObject* widget) const {
    for (int i = 0; i < kPanels; ++i) {
        const VideoInputPanel* panel = panels_[static_cast<size_t>(i)];
        const int n = sco_->value() + i + 1;
        if ((widget == panel || widget == panel->chkVideoInput()) && n <= InputCount()) {
            return NamedPort{NameKind::Input, n};
        }
    }
    return std::nullopt;
}

QList<QWidget*> VideoPage::NameTargets() const {
    QList<QWidget*> targets;
    for (VideoInputPanel* panel : panels_) {
        targets << panel << panel->chkVideoInput();
    }
    return targets;
}

} // namespace quadrel
