#include "soak/ModelChecks.h"

namespace quadrel::test {

namespace {

struct Collector {
    std::vector<std::string> out;
    void Check(bool ok, const char* what, int port, long value) {
        if (!ok && out.size() < 20) {
            out.push_back(std::string(what) + " " + std::to_string(port) + " = " +
                          std::to_string(value));
        }
    }
};

bool Level(int v) {
    return v >= 0 && v <= 100;
}
bool Flag(long v) {
    return v == 0 || v == 1;
}

void CheckAudio(Collector& c, const char* table, const AUDIO_OUTPUT_STATUS& a, int o, int inputs,
                int maxDelay, bool present) {
    const std::string t(table);
    if (!present) {
        const bool untouched = a.iInputPort == 0 && a.iVolumnLevel == 0 && a.iBassLevel == 0 &&
                               a.iTrebleLevel == 0 && a.iSubwooferLevel == 0 && a.lDelayTime == 0 &&
                               a.lMuteStatus == 0 && a.lPlugStatus == 0;
        c.Check(untouched, (t + " set on a missing output").c_str(), o, 0);
        return;
    }
    c.Check(a.iInputPort >= 0 && a.iInputPort <= inputs, (t + " route").c_str(), o, a.iInputPort);
    c.Check(Level(a.iVolumnLevel), (t + " volume").c_str(), o, a.iVolumnLevel);
    c.Check(Level(a.iBassLevel), (t + " bass").c_str(), o, a.iBassLevel);
    c.Check(Level(a.iTrebleLevel), (t + " treble").c_str(), o, a.iTrebleLevel);
    c.Check(Level(a.iSubwooferLevel), (t + " subwoofer").c_str(), o, a.iSubwooferLevel);
    c.Check(Flag(a.lMuteStatus), (t + " mute").c_str(), o, a.lMuteStatus);
    c.Check(Flag(a.lPlugStatus), (t + " plug").c_str(), o, a.lPlugStatus);
    c.Check(a.lDelayTime >= 0 && a.lDelayTime <= maxDelay, (t + " delay").c_str(), o, a.lDelayTime);
}

} // namespace

std::vector<std::string> ModelProblems(const basQRD& model) {
    Collector c;
    const UnitRef unit = model.objSelectedUnit;
    const int inputs = unit ? unit->iInputCount() : 0;
    const int outputs = unit ? unit->iOutputCount() : 0;
    const auto audio = unit ? unit->objAudioINFO() : nullptr;
    const int maxDelay = audio ? audio->iMaxDelayTime() : 0;
    for (int o = 1; o <= kMaxPort; ++o) {
        const bool present = o <= outputs;
        CheckAudio(c, "audio output", model.AudioOutputs[o], o, inputs, maxDelay, present);
        CheckAudio(c, "preset output", model.MemoryAudioOutputs[o], o, inputs, maxDelay, present);
        const VIDEO_OUTPUT_STATUS& v = model.VideoOutputs[o];
        c.Check(present ? v.iInputPort >= 0 && v.iInputPort <= inputs : v.iInputPort == 0,
                "video route", o, v.iInputPort);
        c.Check(present ? Flag(v.lPlugStatus) : v.lPlugStatus == 0, "video output plug", o,
                v.lPlugStatus);
    }
    for (int i = 1; i <= kMaxPort; ++i) {
        const bool present = i <= inputs;
        const VIDEO_INPUT_STATUS& v = model.VideoInputs[i];
        c.Check(present ? Flag(v.lEdidType) : v.lEdidType == 0, "edid", i, v.lEdidType);
        c.Check(present ? Flag(v.lPlugStatus) : v.lPlugStatus == 0, "video input plug", i,
                v.lPlugStatus);
        c.Check(present ? Flag(model.AudioInputPlugs[i]) : model.AudioInputPlugs[i] == 0,
                "audio input plug", i, model.AudioInputPlugs[i]);
    }
    // The crosspoint flags mirror the routes exactly, within the unit.
    for (int o = 1; o <= outputs && o <= kMaxPort; ++o) {
        const int a = model.AudioOutputs[o].iInputPort;
        const int v = model.VideoOutputs[o].iInputPort;
        for (int i = 1; i <= inputs && i <= kMaxPort; ++i) {
            c.Check(model.Crosspoints[i][o].blAudio == (i == a), "audio crosspoint of output", o,
                    i);
            c.Check(model.Crosspoints[i][o].blVideo == (i == v), "video crosspoint of output", o,
                    i);
        }
    }
    return c.out;
}

} // namespace quadrel::test
