// Layout refresh, drawing and enable rules of the switch view.
#include "app/SwitchView.h"

#include "app/CrosspointCell.h"
#include "app/HoverFrame.h"
#include "app/OutputSelection.h"
#include "app/OutputSource.h"
#include "app/PictureBox.h"
#include "app/SwitchGrid.h"
#include "model/QuadrelCore.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace quadrel {

namespace {

// The control's own enabled state: a disabled container does not count, as
// the plugs live inside the input row and output column.
bool OwnEnabled(const QWidget* w) {
    return !w->testAttribute(Qt::WA_ForceDisabled);
}

QString PlugName(bool input, int port, SignalKind kind) {
    const char* const words[2][2] = {{QT_TRANSLATE_NOOP("SwitchView", "output %1 audio plug"),
                                      QT_TRANSLATE_NOOP("SwitchView", "output %1 video plug")},
                                     {QT_TRANSLATE_NOOP("SwitchView", "input %1 audio plug"),
                                      QT_TRANSLATE_NOOP("SwitchView", "input %1 video plug")}};
    return QCoreApplication::translate("SwitchView",
                                       words[input ? 1 : 0][kind == SignalKind::Video ? 1 : 0])
        .arg(port);
}

// Replies redraw many ports: a name set anew is announced anew.
void SetName(QWidget* w, const QString& name) {
    if (w->accessibleName() != name) {
        w->setAccessibleName(name);
    }
}

} // namespace

void SwitchView::Setup_SwitchView() {
    const UnitRef unit = core_.model.objSelectedUnit;
    if (IsUnitConnected(unit)) {
        const int outputs = unit->iOutputCount();
        basQRD& m = core_.model;
        m.Crosspoints.Clear();
        for (int o = 1; o <= std::min(outputs, kMaxPort); ++o) {
            if (const int in = m.AudioOutputs[o].iInputPort; in >= 1 && in <= kMaxPort) {
                m.Crosspoints[in][o].blAudio = true;
            }
            if (const int in = m.VideoOutputs[o].iInputPort; in >= 1 && in <= kMaxPort) {
                m.Crosspoints[in][o].blVideo = true;
            }
        }
    }
    // Another unit may fill more or fewer of the cells the page holds.
    if (const grid::Shape shape = FittingShape(); shape != shape_) {
        shape_ = shape;
        BuildWindow();
        Enable_SwitchControl(enabled_);
    }
    SetScrollRanges(true);
    Draw_SwitchView();
}

QString SwitchView::OutputRefusal(int output) const {
    return outputRefusal_ ? outputRefusal_(output) : QString();
}

void SwitchView::RoleChanged() {
    Enable_picOutput(enabled_);
    Draw_SwitchView();
}

void SwitchView::Draw_SwitchView() {
    for (int r = 0; r < shape_.rows; ++r) {
        for (int c = 0; c < shape_.columns; ++c) {
            Draw_Crosspoint(InputAt(c), OutputAt(r), false);
        }
    }
    for (int c = 0; c < shape_.columns; ++c) {
        const int input = InputAt(c);
        QPushButton* button = chkSwitchInput_[static_cast<size_t>(c)];
        const QString name = NameOf(names_, {NameKind::Input, input});
        // The number, and under it as much of the name as the button holds.
        const QString shown =
            button->fontMetrics().elidedText(name, Qt::ElideRight, button->width() - 6);
        button->setText(grid::PortCaption(input) + QLatin1Char('\n') +
                        QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&")));
        SetNamedTip(button, {NameKind::Input, input}, name);
        Draw_InputPlug(SignalKind::Audio, input);
        Draw_InputPlug(SignalKind::Video, input);
    }
    const PortTable<PORT_SELECT>& select = core_.model.SwitchOutputSelect;
    for (int r = 0; r < shape_.rows; ++r) {
        const int output = OutputAt(r);
        QPushButton* box = chkSwitchOutput_[static_cast<size_t>(r)];
        const QString name = NameOf(names_, {NameKind::Output, output});
        const QString caption = name.isEmpty()
                                    ? grid::PortCaption(output)
                                    : grid::PortCaption(output) + QLatin1Char(' ') + name;
        box->setText(box->fontMetrics()
                         .elidedText(caption, Qt::ElideRight, box->width() - 12)
                         .replace(QLatin1Char('&'), QStringLiteral("&&")));
        SetNamedTip(box, {NameKind::Output, output}, name);
        if (const QString refused = OutputRefusal(output); !refused.isEmpty()) {
            box->setToolTip(refused);
        }
        box->setChecked(output <= kMaxPort && select[output].blSelected);
        Draw_OutputPlug(SignalKind::Audio, output);
        Draw_OutputPlug(SignalKind::Video, output);
        Draw_OutputSource(output);
    }
}

void SwitchView::Draw_Crosspoint(int input, int output) {
    Draw_Crosspoint(input, output, false);
    Draw_OutputSource(output);
}

void SwitchView::Draw_OutputSource(int output) {
    const auto r = grid::PositionOf(output, scoSwitchOutput_->value(), shape_.rows);
    if (!r) {
        return;
    }
    OutputSource source{output, std::nullopt, std::nullopt};
    const UnitRef unit = core_.model.objSelectedUnit;
    if (((IsUnitConnected(unit) && OwnEnabled(picOutput_)) || ShowsLastKnown()) &&
        output <= std::min(unit->iOutputCount(), kMaxPort)) {
        if (unit->objAudioINFO() && unit->objAudioINFO()->blEnabled()) {
            source.audio = core_.model.AudioOutputs[output].iInputPort;
        }
        if (unit->objVideoINFO() && unit->objVideoINFO()->blEnabled()) {
            source.video = core_.model.VideoOutputs[output].iInputPort;
        }
    }
    QLabel* label = lblOutputSource_[static_cast<size_t>(*r)];
    const QString text = SourceText(source, names_);
    const QString words = SourceDescription(source, names_);
    sourceShown_.resize(lblOutputSource_.size());
    SourceShown& shown = sourceShown_[static_cast<size_t>(*r)];
    if (shown.width == label->width() && shown.text == text && shown.words == words) {
        return;
    }
    shown = {text, words, label->width()};
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, label->width() - 4));
    label->setToolTip(PlainTip(words));
    label->setAccessibleName(words);
}

QString SwitchView::OutputSourceText(int position) const {
    return lblOutputSource_.at(static_cast<size_t>(position))->text();
}

void SwitchView::Draw_Crosspoint(int input, int output, bool pressed) {
    const auto k = CellShowing(input, output);
    if (!k) {
        return;
    }
    CrosspointCell* cell = picSwitchBackground_->cell(*k);
    SetName(cell, tr("input %1, output %2").arg(input).arg(output));
    const bool lastKnown = ShowsLastKnown();
    if (!OwnEnabled(cell) && !lastKnown) {
        cell->setKey(QStringLiteral("NoANoV_UP"));
        return;
    }
    bool audioRouted = false;
    bool videoRouted = false;
    bool audioSwitchable = false;
    bool videoSwitchable = false;
    const UnitRef unit = core_.model.objSelectedUnit;
    if ((IsUnitConnected(unit) || lastKnown) && input <= unit->iInputCount() &&
        output <= unit->iOutputCount()) {
        audioSwitchable = unit->objAudioINFO() && unit->objAudioINFO()->blEnabled();
        videoSwitchable = unit->objVideoINFO() && unit->objVideoINFO()->blEnabled();
        const CROSSPOINT& point = core_.model.Crosspoints[input][output];
        audioRouted = audioSwitchable && point.blAudio;
        videoRouted = videoSwitchable && point.blVideo;
    }
    if (lastKnown) {
        // Drawn greyed by the disabled cell: the routes last read, not current.
        cell->setEnabled(false);
    } else {
        cell->setEnabled(audioSwitchable || videoSwitchable);
    }
    cell->setKey(keys_.SwitchKeys[static_cast<size_t>(
        SwitchKeyIndex(audioRouted, videoRouted, audioSwitchable, videoSwitchable, pressed))]);
}

void SwitchView::Draw_InputPlug(SignalKind kind, int input) {
    const auto c = grid::PositionOf(input, scoSwitchInput_->value(), shape_.columns);
    if (!c) {
        return;
    }
    const bool audio = kind == SignalKind::Audio;
    PictureBox* box = (audio ? imgAudioInPlug_ : imgVideoInPlug_)[static_cast<size_t>(*c)];
    bool plugged = false;
    bool unplugged = false;
    const UnitRef unit = core_.model.objSelectedUnit;
    if (IsUnitConnected(unit) && input <= unit->iInputCount() && OwnEnabled(box)) {
        const int32_t s =
            audio ? core_.model.AudioInputPlugs[input] : core_.model.VideoInputs[input].lPlugStatus;
        plugged = s == 1;
        unplugged = s == 0;
    }
    SetName(box, PlugName(true, input, kind));
    box->setKey(
        keys_.PlugKeys[static_cast<size_t>(PlugKeyIndex(audio, false, plugged, unplugged))]);
}

void SwitchView::Draw_OutputPlug(SignalKind kind, int output) {
    const auto r = grid::PositionOf(output, scoSwitchOutput_->value(), shape_.rows);
    if (!r) {
        return;
    }
    const bool audio = kind == SignalKind::Audio;
    PictureBox* box = (audio ? imgAudioOutPlug_ : imgVideoOutPlug_)[static_cast<size_t>(*r)];
    bool plugged = false;
    bool unplugged = false;
    const UnitRef unit = core_.model.objSelectedUnit;
    if (IsUnitConnected(unit) && output <= unit->iOutputCount() && OwnEnabled(box)) {
        const int32_t s = audio ? core_.model.AudioOutputs[output].lPlugStatus
                                : core_.model.VideoOutputs[output].lPlugStatus;
        plugged = s == 1;
        unplugged = s == 0;
    }
    SetName(box, PlugName(false, output, kind));
    box->setKey(keys_.PlugKeys[static_cast<size_t>(PlugKeyIndex(audio, true, plugged, unplugged))]);
}

bool SwitchView::ShowsLastKnown() const {
    const UnitRef unit = core_.model.objSelectedUnit;
    return unit && !unit->blConnected() && unit->iInputCount() > 0 && unit->iOutputCount() > 0;
}

void SwitchView::Enable_SwitchControl(bool enabled) {
    const bool lastKnown = !enabled && ShowsLastKnown();
    QString caption;
    if (lastKnown) {
        caption =
            core_.link.IsPortOpen()
                ? tr("Not current: unit %1 is not answering")
                      .arg(QStringLiteral("%1")
                               .arg(core_.model.objSelectedUnit->bID(), 2, 16, QLatin1Char('0'))
                               .toUpper())
                : tr("Not current: the port was lost");
    }
    lblLastKnown_->setText(caption);
    lblLastKnown_->setVisible(lastKnown);
    enabled_ = enabled;
    Enable_picInput(enabled);
    Enable_picOutput(enabled);
    Enable_chkSelSwitchAudio(enabled);
    Enable_chkSelSwitchVideo(enabled);
    Enable_imgQRD(enabled);
    Enable_imgPlug(enabled);
}

void SwitchView::Enable_chkSelSwitchAudio(bool enabled) {
    const UnitRef unit = core_.model.objSelectedUnit;
    chkSelSwitchAudio_->setEnabled(enabled && IsUnitConnected(unit) && unit->objAudioINFO() &&
                                   unit->objAudioINFO()->blEnabled());
}

void SwitchView::Enable_chkSelSwitchVideo(bool enabled) {
    const UnitRef unit = core_.model.objSelectedUnit;
    chkSelSwitchVideo_->setEnabled(enabled && IsUnitConnected(unit) && unit->objVideoINFO() &&
                                   unit->objVideoINFO()->blEnabled());
}

void SwitchView::Enable_picInput(bool enabled) {
    picInput_->setEnabled(enabled);
    lblInput_->setEnabled(enabled);
    const UnitRef unit = core_.model.objSelectedUnit;
    const int n = enabled && IsUnitConnected(unit) ? unit->iInputCount() : 0;
    for (int c = 0; c < shape_.columns; ++c) {
        chkSwitchInput_[static_cast<size_t>(c)]->setEnabled(scoSwitchInput_->value() + c < n);
    }
    scoSwitchInput_->setEnabled(n > shape_.columns);
    if (!enabled && !ShowsLastKnown()) {
        scoSwitchInput_->setValue(0);
    }
}

void SwitchView::Enable_picOutput(bool enabled) {
    picOutput_->setEnabled(enabled);
    lblOutput_->setEnabled(enabled);
    const UnitRef unit = core_.model.objSelectedUnit;
    const int n = enabled && IsUnitConnected(unit) ? unit->iOutputCount() : 0;
    PortTable<PORT_SELECT>& select = core_.model.SwitchOutputSelect;
    for (int o = 1; o <= kMaxPort; ++o) {
        select[o].blEnabled = o <= n;
    }
    for (int r = 0; r < shape_.rows; ++r) {
        const int output = OutputAt(r);
        chkSwitchOutput_[static_cast<size_t>(r)]->setEnabled(
            output <= kMaxPort && select[output].blEnabled && OutputRefusal(output).isEmpty());
    }
    scoSwitchOutput_->setEnabled(enabled && n > shape_.rows);
    if (!scoSwitchOutput_->isEnabled() && !ShowsLastKnown()) {
        scoSwitchOutput_->setValue(0);
    }
    for (int r = 0; r < shape_.rows; ++r) {
        Draw_OutputSource(OutputAt(r));
    }
    chkSelAllSwitchOutput_->setEnabled(n >= 1);
    cmdDisconnect_->setEnabled(chkSelAllSwitchOutput_->isEnabled());
}

void SwitchView::Enable_imgQRD(bool enabled) {
    if (!enabled) {
        picSwitchBackground_->Draw_GridWires(SwitchGrid::kWire);
    }
    picSwitchBackground_->frame()->setVisible(enabled);
    const UnitRef unit = core_.model.objSelectedUnit;
    const bool connected = IsUnitConnected(unit);
    const int inputs = connected ? unit->iInputCount() : 0;
    const int outputs = connected ? unit->iOutputCount() : 0;
    for (int row = 1; row <= shape_.rows; ++row) {
        for (int column = 1; column <= shape_.columns; ++column) {
            const int k = grid::Cell(column - 1, row - 1, shape_.columns);
            picSwitchBackground_->cell(k)->setEnabled(enabled &&
                                                      scoSwitchOutput_->value() + row <= outputs &&
                                                      scoSwitchInput_->value() + column <= inputs);
            Draw_Crosspoint(scoSwitchInput_->value() + column, scoSwitchOutput_->value() + row,
                            false);
        }
    }
}

void SwitchView::Enable_imgPlug(bool enabled) {
    const UnitRef unit = core_.model.objSelectedUnit;
    const bool connected = enabled && IsUnitConnected(unit);
    const auto plug = connected ? unit->objPlugINFO() : nullptr;
    const int inputs = connected ? unit->iInputCount() : 0;
    const int outputs = connected ? unit->iOutputCount() : 0;
    for (int c = 0; c < shape_.columns; ++c) {
        const int input = InputAt(c);
        const bool shown = input - 1 < inputs && plug;
        imgAudioInPlug_[static_cast<size_t>(c)]->setEnabled(
            shown && plug->blSupportAudioInputPlugDetection());
        imgVideoInPlug_[static_cast<size_t>(c)]->setEnabled(
            shown && plug->blSupportVideoInputPlugDetection());
        Draw_InputPlug(SignalKind::Audio, input);
        Draw_InputPlug(SignalKind::Video, input);
    }
    for (int r = 0; r < shape_.rows; ++r) {
        const int output = OutputAt(r);
        const bool shown = output - 1 < outputs && plug;
        imgAudioOutPlug_[static_cast<size_t>(r)]->setEnabled(
            shown && plug->blSupportAudioOutputPlugDetection());
        imgVideoOutPlug_[static_cast<size_t>(r)]->setEnabled(
            shown && plug->blSupportVideoOutputPlugDetection());
        Draw_OutputPlug(SignalKind::Audio, output);
        Draw_OutputPlug(SignalKind::Video, output);
    }
}

} // namespace quadrel
