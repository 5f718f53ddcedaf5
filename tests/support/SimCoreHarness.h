#pragma once

#include "link/VirtualClock.h"
#include "model/QuadrelCore.h"
#include "sim/SimSerialPort.h"
#include "support/LinkHarness.h"
#include "support/RecordingViews.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace quadrel::test {

// Checks the one-question rule as frames go out: a first transmission while
// an answer is still awaited would be a second outstanding request.
struct CheckingTrace : TraceRecorder {
    const TransmitQueue* queue = nullptr;
    int overlaps = 0;
    void LogSend(const Bytes& b) override {
        if (queue != nullptr && queue->IsWaitingForAnswer()) {
            ++overlaps;
        }
        TraceRecorder::LogSend(b);
    }
};

// The live state of an emulated unit, as comparable values.
inline std::vector<int> Live(const sim::UnitState& s) {
    std::vector<int> out;
    for (size_t o = 0; o < s.audio.size(); ++o) {
        const sim::AudioOutputState& a = s.audio[o];
        out.insert(out.end(), {a.input, s.videoRoutes[o], a.mute ? 1 : 0, a.volume, a.bass,
                               a.treble, a.subwoofer, a.delayLevel});
    }
    out.insert(out.end(), s.edid.begin(), s.edid.end());
    return out;
}

// Where output `k` (0-based) of an emulated unit, live or in preset `m`
// (1-based), holds otherwise than `v` says; a value `v` leaves unset differs
// only when `unsetDiffers`.
inline void Against(std::vector<std::string>& out, const std::string& where, const OutputValues& v,
                    const sim::Unit& unit, size_t k, int m, bool unsetDiffers) {
    const sim::UnitState& s = unit.state();
    const sim::AudioOutputState& a = m == 0 ? s.audio[k] : s.audioPresets[m - 1].outputs[k];
    const int video = m == 0 ? s.videoRoutes[k] : s.videoPresets[m - 1].routes[k];
    const std::pair<std::optional<int>, int> pairs[] = {
        {v.audioInput, a.input},    {v.videoInput, video},
        {v.mute, a.mute ? 1 : 0},   {v.volume, a.volume},
        {v.bass, a.bass},           {v.treble, a.treble},
        {v.subwoofer, a.subwoofer}, {v.delay, a.delayLevel * unit.config().delayStepMs}};
    for (const auto& [wanted, real] : pairs) {
        if ((wanted || unsetDiffers) && wanted != real) {
            out.push_back(where + ": " + std::to_string(wanted.value_or(-1)) + " wanted, " +
                          std::to_string(real) + " held");
        }
    }
}

// Random values in range on one output of `unit`, its routes from `lowRoute`.
inline void Scramble(std::mt19937& random, const sim::UnitConfig& unit, sim::AudioOutputState& a,
                     uint8_t& video, int lowRoute = 0) {
    const auto in = [&](int low, int high) {
        return static_cast<uint8_t>(std::uniform_int_distribution<int>(low, high)(random));
    };
    a.input = in(lowRoute, unit.inputs);
    video = in(lowRoute, unit.inputs);
    a.mute = in(0, 1) == 1;
    for (uint8_t* level : {&a.volume, &a.bass, &a.treble, &a.subwoofer}) {
        *level = in(0, 100);
    }
    a.delayLevel = in(0, unit.maxDelayLevel());
}

// The whole core against the in-process unit emulator, in virtual time.
struct SimCoreHarness {
    explicit SimCoreHarness(sim::LineConfig line = {}) : port(clock, line) {
        trace.queue = &core.link.queue;
        port.open(200, QStringLiteral("%1,n,8,1").arg(line.baud));
    }

    sim::Unit& AddUnit(const sim::UnitConfig& config) {
        port.engine().addUnit(config);
        return *port.engine().unit(config.id);
    }
    // A unit with every section, named "Unit <id>".
    static sim::UnitConfig Config(uint8_t id, int inputs = 8, int outputs = 8) {
        sim::UnitConfig u;
        u.id = id;
        u.name = "Unit " + std::to_string(id);
        u.inputs = inputs;
        u.outputs = outputs;
        return u;
    }
    sim::Unit& AddUnit(uint8_t id, int inputs = 8, int outputs = 8) {
        return AddUnit(Config(id, inputs, outputs));
    }
    // No scan or read going on, nothing awaited, settling or waiting.
    bool Idle() const {
        const TransmitQueue& q = core.link.queue;
        return !core.status.IsBusy() && !q.IsWaitingForAnswer() && !q.IsSettling() &&
               q.iSendQueueCount() == 0;
    }

    // The frames written from byte `from` of the line on, every frame five bytes.
    std::vector<Bytes> Frames(size_t from = 0) const {
        const Bytes& w = port.written();
        std::vector<Bytes> out;
        for (size_t i = from; i + 4 < w.size(); i += 5) {
            out.emplace_back(w.begin() + static_cast<long>(i),
                             w.begin() + static_cast<long>(i + 5));
        }
        return out;
    }
    // Unit IDs of the information probes among the frames written from `from`
    // on, each try of a probe once.
    std::vector<int> Probes(size_t from = 0) const {
        const std::vector<Bytes> frames = Frames(from);
        std::vector<int> ids;
        for (size_t i = 0; i < frames.size(); ++i) {
            const Bytes& f = frames[i];
            if (f[1] == 0x3F && f[2] == 0 && (i == 0 || f != frames[i - 1])) {
                ids.push_back(f[0] & 0x1F);
            }
        }
        return ids;
    }

    bool Scan(std::chrono::seconds limit = std::chrono::seconds(60)) {
        core.status.SetScanning(true);
        return clock.advanceUntil([this] { return !core.status.IsBusy(); }, limit);
    }

    // Differences between the model of the selected unit and the emulated
    // unit's live state, for ports 1..limit; empty when they agree.
    std::vector<std::string> Differences(const sim::Unit& unit, int limit = 127) const {
        std::vector<std::string> out;
        const basQRD& m = core.model;
        const sim::UnitState& s = unit.state();
        const sim::UnitConfig& c = unit.config();
        auto diff = [&](bool kept, const char* what, int port, long model, long real) {
            if (kept && model != real) {
                out.push_back(std::string(what) + " " + std::to_string(port) + ": model " +
                              std::to_string(model) + ", unit " + std::to_string(real));
            }
        };
        for (int o = 1; o <= std::min(c.outputs, limit); ++o) {
            const auto k = static_cast<size_t>(o - 1);
            const sim::AudioOutputState& a = s.audio[k];
            const AUDIO_OUTPUT_STATUS& ma = m.AudioOutputs[o];
            diff(c.audio, "audio route", o, ma.iInputPort, a.input);
            diff(c.audio && c.volume, "mute", o, ma.lMuteStatus, a.mute ? 1 : 0);
            diff(c.audio && c.volume, "volume", o, ma.iVolumnLevel, a.volume);
            diff(c.audio && c.bass, "bass", o, ma.iBassLevel, a.bass);
            diff(c.audio && c.treble, "treble", o, ma.iTrebleLevel, a.treble);
            diff(c.audio && c.subwoofer, "subwoofer", o, ma.iSubwooferLevel, a.subwoofer);
            diff(c.audio && c.delay, "delay", o, ma.lDelayTime,
                 static_cast<long>(a.delayLevel) * c.delayStepMs);
            diff(c.audio && c.audioOutputPlug, "audio output plug", o, ma.lPlugStatus,
                 s.audioOutputPlugs[k] ? 1 : 0);
            diff(c.video, "video route", o, m.VideoOutputs[o].iInputPort, s.videoRoutes[k]);
            diff(c.video && c.videoOutputPlug, "video output plug", o,
                 m.VideoOutputs[o].lPlugStatus, s.videoOutputPlugs[k] ? 1 : 0);
        }
        for (int i = 1; i <= std::min(c.inputs, limit); ++i) {
            const auto k = static_cast<size_t>(i - 1);
            diff(c.video && c.edidSelect, "edid", i, m.VideoInputs[i].lEdidType, s.edid[k]);
            diff(c.video && c.videoInputPlug, "video input plug", i, m.VideoInputs[i].lPlugStatus,
                 s.videoInputPlugs[k] ? 1 : 0);
            diff(c.audio && c.audioInputPlug, "audio input plug", i, m.AudioInputPlugs[i],
                 s.audioInputPlugs[k] ? 1 : 0);
        }
        return out;
    }

    VirtualClock clock;
    sim::SimSerialPort port;
    CheckingTrace trace;
    RecordingViews views;
    QuadrelCore core{port, clock, trace, views};
};

} // namespace quadrel::test
