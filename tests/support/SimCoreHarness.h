#pragma once

#include "link/VirtualClock.h"
#include "model/QuadrelCore.h"
#include "sim/SimSerialPort.h"
#include "support/LinkHarness.h"
#include "support/RecordingViews.h"

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
        auto diff = [&](const char* what, int port, long model, long real) {
            if (model != real) {
                out.push_back(std::string(what) + " " + std::to_string(port) + ": model " +
                              std::to_string(model) + ", unit " + std::to_string(real));
            }
        };
        for (int o = 1; o <= std::min(c.outputs, limit); ++o) {
            const auto& a = s.audio[static_cast<size_t>(o - 1)];
            const AUDIO_OUTPUT_STATUS& ma = m.AudioOutputs[o];
            if (c.audio) {
                diff("audio route", o, ma.iInputPort, a.input);
                if (c.volume) {
                    diff("mute", o, ma.lMuteStatus, a.mute ? 1 : 0);
                    diff("volume", o, ma.iVolumnLevel, a.volume);
                }
                if (c.bass) {
                    diff("bass", o, ma.iBassLevel, a.bass);
                }
                if (c.treble) {
                    diff("treble", o, ma.iTrebleLevel, a.treble);
                }
                if (c.subwoofer) {
                    diff("subwoofer", o, ma.iSubwooferLevel, a.subwoofer);
                }
                if (c.delay) {
                    diff("delay", o, ma.lDelayTime,
                         static_cast<long>(a.delayLevel) * c.delayStepMs);
                }
                if (c.audioOutputPlug) {
                    diff("audio output plug", o, ma.lPlugStatus,
                         s.audioOutputPlugs[static_cast<size_t>(o - 1)] ? 1 : 0);
                }
            }
            if (c.video) {
                diff("video route", o, m.VideoOutputs[o].iInputPort,
                     s.videoRoutes[static_cast<size_t>(o - 1)]);
                if (c.videoOutputPlug) {
                    diff("video output plug", o, m.VideoOutputs[o].lPlugStatus,
                         s.videoOutputPlugs[static_cast<size_t>(o - 1)] ? 1 : 0);
                }
            }
        }
        for (int i = 1; i <= std::min(c.inputs, limit); ++i) {
            if (c.video && c.edidSelect) {
                diff("edid", i, m.VideoInputs[i].lEdidType, s.edid[static_cast<size_t>(i - 1)]);
            }
            if (c.video && c.videoInputPlug) {
                diff("video input plug", i, m.VideoInputs[i].lPlugStatus,
                     s.videoInputPlugs[static_cast<size_t>(i - 1)] ? 1 : 0);
            }
            if (c.audio && c.audioInputPlug) {
                diff("audio input plug", i, m.AudioInputPlugs[i],
                     s.audioInputPlugs[static_cast<size_t>(i - 1)] ? 1 : 0);
            }
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
