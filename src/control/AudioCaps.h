#pragma once

#include "model/QRDSTA.h"

namespace quadrel {

// The audio controls a unit has; Of: all false when it is not there to answer.
struct AudioCaps {
    bool volume = false; // volume and mute
    bool bass = false;
    bool treble = false;
    bool subwoofer = false;
    bool delay = false;

    bool Any() const { return volume || bass || treble || subwoofer || delay; }

    static AudioCaps Of(const UnitRef& unit) {
        return IsUnitConnected(unit) ? Known(unit) : AudioCaps();
    }

    // What the selected unit reported of itself, answering or not: what its
    // last known values are shown for.
    static AudioCaps Known(const UnitRef& unit) {
        AudioCaps c;
        if (!unit || !unit->objAudioINFO()) {
            return c;
        }
        const AUDIO_INFO& a = *unit->objAudioINFO();
        c.volume = a.blSupportVolumnControl();
        c.bass = a.blSupportBassControl();
        c.treble = a.blSupportTrebleControl();
        c.subwoofer = a.blSupportSubwooferControl();
        c.delay = a.blSupportDelayControl();
        return c;
    }
};

} // namespace quadrel
