#include "model/basQRD.h"

#include "model/Views.h"

namespace quadrel {

basQRD::basQRD() : objUnits_(std::make_shared<QRD_INFO>()) {}

void basQRD::ClearUnitStatus() {
    Crosspoints.Clear();
    AudioInputPlugs.Clear();
    AudioOutputs.Clear();
    VideoInputs.Clear();
    VideoOutputs.Clear();
    SwitchOutputSelect.Clear();
    AudioOutputSelect.Clear();
    VideoInputSelect.Clear();
}

void basQRD::SetAudioRoute(int output, int input, Views& views) {
    const int old = AudioOutputs[output].iInputPort;
    if (old != 0) {
        Crosspoints[old][output].blAudio = false;
        views.Draw_Crosspoint(old, output);
    }
    AudioOutputs[output].iInputPort = input;
    if (input != 0) {
        Crosspoints[input][output].blAudio = true;
    }
    views.Draw_Crosspoint(input, output);
}

void basQRD::SetVideoRoute(int output, int input, Views& views) {
    const int old = VideoOutputs[output].iInputPort;
    if (old != 0) {
        Crosspoints[old][output].blVideo = false;
        views.Draw_Crosspoint(old, output);
    }
    VideoOutputs[output].iInputPort = input;
    if (input != 0) {
        Crosspoints[input][output].blVideo = true;
    }
    views.Draw_Crosspoint(input, output);
}

} // namespace quadrel
