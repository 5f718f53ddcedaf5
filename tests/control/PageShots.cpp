// Saves pictures of the audio and video pages showing a demo unit, for the
// README and for a look by eye: control_page_shots <folder>.
#include "PageHarness.h"

#include <QApplication>
#include <QDir>

using namespace quadrel;
using namespace quadrel::test;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    PageHarness h;
    UnitCaps caps;
    caps.delayUnit = 5;
    caps.maxDelayTime = 2000;
    const int volumes[] = {75, 75, 33, 100, 0, 62, 48, 90};
    for (int n = 1; n <= 8; ++n) {
        AUDIO_OUTPUT_STATUS& s = h.core.model.AudioOutputs[n];
        s.iVolumnLevel = volumes[n - 1];
        s.iBassLevel = 40 + 5 * n;
        s.iTrebleLevel = 60 - 4 * n;
        s.iSubwooferLevel = 10 * n;
        s.lDelayTime = 25 * n * n;
        s.lMuteStatus = n == 3 || n == 6 ? 1 : 0;
    }
    for (int n = 1; n <= 12; ++n) {
        h.core.model.VideoInputs[n].lEdidType = n % 3 == 0 ? 1 : 0;
    }
    h.Show(1, 12, 8, caps);
    for (int i : {0, 1}) {
        PageHarness::Click(h.audio.picAudioOutput(i)->chkAudioOutput(), Qt::ControlModifier);
    }
    for (int i : {2, 5}) {
        PageHarness::Click(h.video.picVideoInput(i)->chkVideoInput(), Qt::ControlModifier);
    }
    QApplication::processEvents();
    const bool ok = h.audio.grab().save(folder + QStringLiteral("/audio-page.png")) &&
                    h.video.grab().save(folder + QStringLiteral("/video-page.png"));
    return ok ? 0 : 1;
}
