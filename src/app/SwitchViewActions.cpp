// What the operator does on the switch view: input buttons, output boxes,
// select all, disconnect, scrolling, and the crosspoint cells.
#include "app/SwitchView.h"

#include "app/CrosspointCell.h"
#include "app/HoverFrame.h"
#include "app/OutputSelection.h"
#include "app/SwitchGrid.h"
#include "model/QuadrelCore.h"
#include "model/Views.h"

#include <QCheckBox>
#include <QPushButton>
#include <QScrollBar>

namespace quadrel {

namespace {

constexpr int32_t kSetPriority = 0;
constexpr int32_t kQueryPriority = 1;

} // namespace

void SwitchView::chkSwitchInput_Click(int c) {
    QPushButton* button = chkSwitchInput_[static_cast<size_t>(c)];
    // Only the press that ticks the button routes; it pops back up at once.
    if (!button->isChecked()) {
        return;
    }
    RouteSelectedOutputs(InputAt(c), kSetPriority, true);
    button->setChecked(false);
}

void SwitchView::cmdDisconnect_Click() {
    RouteSelectedOutputs(0, kQueryPriority, false);
}

void SwitchView::RouteSelectedOutputs(int input, int32_t priority, bool busyForVideo) {
    const UnitRef unit = core_.model.objSelectedUnit;
    if (!IsUnitConnected(unit)) {
        return;
    }
    const bool audio = chkSelSwitchAudio_->isChecked() && unit->objAudioINFO() &&
                       unit->objAudioINFO()->blEnabled();
    const bool video = chkSelSwitchVideo_->isChecked() && unit->objVideoINFO() &&
                       unit->objVideoINFO()->blEnabled();
    const int outputs = std::min(unit->iOutputCount(), kMaxPort);
    Change change;
    change.unit = unit->bID();
    change.priority = priority;
    SettingValues target;
    for (int o = 1; o <= outputs; ++o) {
        if (!core_.model.SwitchOutputSelect[o].blSelected) {
            continue;
        }
        if (audio) {
            target[{Setting::AudioRoute, o}] = input;
            change.items.push_back({Setting::AudioRoute, o, input});
        }
        if (video) {
            target[{Setting::VideoRoute, o}] = input;
            change.items.push_back({Setting::VideoRoute, o, input});
        }
    }
    const uint32_t tag = core_.history.Record(target);
    const std::set<Setting> queued = core_.path.Send(change, tag);
    if (queued.count(Setting::AudioRoute) != 0 ||
        (busyForVideo && queued.count(Setting::VideoRoute) != 0)) {
        views_.SetBusyPointer(true);
    }
}

void SwitchView::chkSwitchOutput_MouseUp(int r, int button, int shiftState) {
    const UnitRef unit = core_.model.objSelectedUnit;
    const int outputs = IsUnitConnected(unit) ? std::min(unit->iOutputCount(), kMaxPort) : 0;
    const int output = OutputAt(r);
    if (output > kMaxPort) {
        return;
    }
    ApplyOutputClick(core_.model.SwitchOutputSelect, outputs, iLastSwitchOutput_, output, button,
                     shiftState);
    SyncOutputBoxes();
    MatchSelAllBox();
}

void SwitchView::SyncOutputBoxes() {
    const PortTable<PORT_SELECT>& select = core_.model.SwitchOutputSelect;
    for (int r = 0; r < shape_.rows; ++r) {
        const int output = OutputAt(r);
        chkSwitchOutput_[static_cast<size_t>(r)]->setChecked(output <= kMaxPort &&
                                                             select[output].blSelected);
    }
}

void SwitchView::MatchSelAllBox() {
    const bool all = IsAllSwitchOutputSelected();
    if (chkSelAllSwitchOutput_->isChecked() == all) {
        return;
    }
    blSkipSelAllSwitchOutput_ = true;
    chkSelAllSwitchOutput_->setChecked(all);
    blSkipSelAllSwitchOutput_ = false;
}

bool SwitchView::IsAllSwitchOutputSelected() const {
    return IsAllOutputsSelected(core_.model.SwitchOutputSelect);
}

void SwitchView::chkSelAllSwitchOutput_Click() {
    if (blSkipSelAllSwitchOutput_) {
        return;
    }
    const UnitRef unit = core_.model.objSelectedUnit;
    ApplySelectAll(core_.model.SwitchOutputSelect, IsUnitConnected(unit) ? unit->iOutputCount() : 0,
                   IsUnitConnected(unit), chkSelAllSwitchOutput_->isChecked());
    SyncOutputBoxes();
}

void SwitchView::UntickSelAllSwitchOutput() {
    chkSelAllSwitchOutput_->setChecked(false);
}

void SwitchView::scoSwitch_Change(QScrollBar* bar) {
    if (bar->isEnabled()) {
        Draw_SwitchView();
    }
}

void SwitchView::imgQRD_Press(int k, bool pressed) {
    Draw_Crosspoint(InputAt(grid::Column(k, shape_.columns)),
                    OutputAt(grid::Row(k, shape_.columns)), pressed);
}

void SwitchView::imgQRD_Click(int k) {
    const UnitRef unit = core_.model.objSelectedUnit;
    if (!IsUnitConnected(unit)) {
        return;
    }
    const int input = InputAt(grid::Column(k, shape_.columns));
    const int output = OutputAt(grid::Row(k, shape_.columns));
    const bool audio = chkSelSwitchAudio_->isChecked() && unit->objAudioINFO() &&
                       unit->objAudioINFO()->blEnabled();
    const bool video = chkSelSwitchVideo_->isChecked() && unit->objVideoINFO() &&
                       unit->objVideoINFO()->blEnabled();
    // One crosspoint: each route is asked back for its output alone.
    Change change;
    change.unit = unit->bID();
    change.priority = kQueryPriority;
    change.follow = Change::Follow::EachPort;
    SettingValues target;
    if (audio) {
        target[{Setting::AudioRoute, output}] = input;
        change.items.push_back({Setting::AudioRoute, output, input});
    }
    if (video) {
        target[{Setting::VideoRoute, output}] = input;
        change.items.push_back({Setting::VideoRoute, output, input});
    }
    core_.path.Send(change, core_.history.Record(target));
}

void SwitchView::imgQRD_HoverStarted(int k) {
    HoverFrame* frame = picSwitchBackground_->frame();
    frame->setGeometry(grid::FrameRect(k, pitch_, shape_.columns));
    frame->show();
    frame->raise();
    timSelected_->setEnabled(true);
    picSwitchBackground_->Draw_CellWires(k, true);
}

void SwitchView::imgQRD_HoverEnded(int k) {
    picSwitchBackground_->frame()->hide();
    timSelected_->setEnabled(false);
    picSwitchBackground_->Draw_CellWires(k, false);
}

void SwitchView::timSelected_Timer() {
    picSwitchBackground_->frame()->setBorderStyle(blSelectedBorderPhase_ ? Qt::DotLine
                                                                         : Qt::DashDotLine);
    blSelectedBorderPhase_ = !blSelectedBorderPhase_;
}

} // namespace quadrel
