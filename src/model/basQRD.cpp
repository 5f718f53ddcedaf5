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
    Presets.Clear();
}

void basQRD::Reset() {
    ReplaceUnits();
    objSelectedUnit.reset();
    ClearUnitStatus();
    MemoryAudioOutputs.Clear();
    blLoadingStatus = false;
    blScanning = false;
    blLoadingMemory = false;
    lLastStatusStep = 0;
    lLastMemoryStep = 0;
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

UnitRef basQRD::AddOrUpdateUnit(uint8_t bID, const QString& sName, bool blConnected,
                                int iMemoryCount, int iInputCount, int iOutputCount,
                                int iMaxCommandLB, bool blExtendedInfoExist,
                                std::shared_ptr<AUDIO_INFO> audio,
                                std::shared_ptr<VIDEO_INFO> video, std::shared_ptr<PLUG_INFO> plug,
                                std::shared_ptr<FIRMWARE_VERSION> firmware, Views& views) {
    const QString key = QString::number(bID);
    UnitRef unit = objUnits_->Item(key);
    if (!unit) {
        unit = objUnits_->Add(bID, sName, blConnected, iMemoryCount, iInputCount, iOutputCount,
                              iMaxCommandLB, blExtendedInfoExist, std::move(audio),
                              std::move(video), std::move(plug), std::move(firmware), key);
        views.ShowUnitRow(*unit);
        if (objUnits_->Count() == 1) {
            objSelectedUnit = unit;
        }
        return unit;
    }
    unit->Refresh(sName, blConnected, iMemoryCount, iInputCount, iOutputCount, iMaxCommandLB,
                  blExtendedInfoExist, std::move(audio), std::move(video), std::move(plug),
                  std::move(firmware));
    views.ShowUnitRow(*unit);
    return unit;
}

} // namespace quadrel
