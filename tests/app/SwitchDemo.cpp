// Draws the switch page and the unit pane with a demo line-up and saves
// them as pictures: switch_demo <folder>. For looking at, not a test.
#include "SwitchRig.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTreeWidget>

#include "app/CrosspointCell.h"
#include "app/SwitchGrid.h"

using namespace quadrel;
using namespace quadrel::test;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    SwitchRig r;
    SwitchRig::Caps small;
    small.video = false;
    small.delay = true;
    small.firmware = true;
    SwitchRig::Caps caps;
    caps.memories = 8;
    UnitRef unit = r.Register(10, 16, 12, caps, QStringLiteral("Hall matrix"));
    r.Register(3, 4, 4, small, QStringLiteral("Studio B <audio>"));
    r.core.model.objSelectedUnit = unit;
    basQRD& m = r.core.model;
    const int audio[] = {1, 2, 0, 4, 4, 6, 0, 8};
    const int video[] = {1, 3, 0, 4, 5, 6, 7, 0};
    for (int o = 1; o <= 8; ++o) {
        m.AudioOutputs[o].iInputPort = audio[o - 1];
        m.VideoOutputs[o].iInputPort = video[o - 1];
        m.AudioOutputs[o].lPlugStatus = o % 3 == 0 ? 0 : 1;
        m.VideoOutputs[o].lPlugStatus = o == 5 ? 2 : 1;
    }
    for (int i = 1; i <= 16; ++i) {
        m.VideoInputs[i].lPlugStatus = i % 4 == 0 ? 0 : 1;
        m.AudioInputPlugs[i] = i == 6 ? 3 : 1;
    }
    m.SwitchOutputSelect[2].blSelected = true;
    m.SwitchOutputSelect[5].blSelected = true;
    r.hub.Enable_QRD(true);
    r.hub.Setup_AllViews();
    r.hub.SetUnitIcon(3, false);
    r.hub.SetUnitFirmwareText(10, QStringLiteral("1.2.10"));
    r.pane.FillMemoryLocations();
    for (int o = 1; o <= 6; ++o) {
        r.hub.SetMemoryRowInput(SignalKind::Video, o, o == 3 ? 0 : o);
        r.hub.SetMemoryRowInput(SignalKind::Audio, o, o == 4 ? 0 : o);
        r.hub.SetMemoryRowMuteStatus(o, true, o == 2 ? 1 : 0);
        r.hub.SetMemoryRowVolumnLevel(o, true, 60 + o);
        r.hub.SetMemoryRowBassLevel(o, true, 50);
        r.hub.SetMemoryRowTrebleLevel(o, false, 0);
        r.hub.SetMemoryRowSubwooferLevel(o, false, 0);
        r.hub.SetMemoryRowDelayTime(o, true, o * 5);
    }
    r.core.status.SetLoadingMemory(false);
    r.hub.Enable_QRD(true);
    r.sw.show();
    r.pane.resize(900, 260);
    r.pane.show();
    // The mouse rests on input 5, output 4.
    CrosspointCell* cell = r.sw.grid().cell(3 * 8 + 4);
    QMouseEvent move(QEvent::MouseMove, QPointF(4, 4), cell->mapToGlobal(QPointF(4, 4)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(cell, &move);
    QApplication::processEvents();
    const bool ok = r.sw.grab().save(folder + QStringLiteral("/switch_view.png")) &&
                    r.pane.grab().save(folder + QStringLiteral("/unit_pane.png"));
    return ok ? 0 : 1;
}
