#pragma once

#include "model/Views.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace quadrel::test {

// One argument of a views call as the fakes note it: a number, a word
// (a flag, a signal kind, an icon) or a text.
struct ViewArg {
    ViewArg(int v) : number(v) {}
    ViewArg(bool v) : word(v ? "true" : "false") {}
    ViewArg(SignalKind k) : word(k == SignalKind::Video ? "V" : "A") {}
    ViewArg(const char* w) : word(w) {}
    ViewArg(const QString& t) : text(&t) {}
    int64_t number = 0;
    const char* word = nullptr;
    const QString* text = nullptr;
};

// A views fake that hands every call with its arguments to Note(), and keeps
// the little state the core reads back.
class NotingViews : public Views {
public:
    struct Redraws {
        std::array<bool, 6> on{};
        bool& operator[](AudioValue v) { return on.at(static_cast<size_t>(v)); }
        void clear() { on.fill(false); }
    };
    std::optional<int> memoryLocation;
    Redraws redrawRunning;
    bool busyPointer = false;
    QString scanCaption = QStringLiteral("S&can");
    bool qrdEnabled = false;
    bool lstQrdEnabled = false;

    void Setup_AllViews() override { Note(__func__, {}); }
    void Draw_Crosspoint(int input, int output) override { Note(__func__, {input, output}); }
    void Draw_InputPlug(SignalKind k, int input) override { Note(__func__, {k, input}); }
    void Draw_OutputPlug(SignalKind k, int output) override { Note(__func__, {k, output}); }
    void ResetSelectionAnchors() override { Note(__func__, {}); }
    void UntickSelectAll() override { Note(__func__, {}); }
    void Draw_AudioOutputMute(int o) override { Note(__func__, {o}); }
    void Draw_AudioOutputVolumnLevel(int o) override { Note(__func__, {o}); }
    void Draw_AudioOutputBassLevel(int o) override { Note(__func__, {o}); }
    void Draw_AudioOutputTrebleLevel(int o) override { Note(__func__, {o}); }
    void Draw_AudioOutputSubwooferLevel(int o) override { Note(__func__, {o}); }
    void Draw_AudioOutputDelayTime(int o) override { Note(__func__, {o}); }
    void RestartSelectedRedraw(AudioValue v) override {
        redrawRunning[v] = true;
        Note(__func__, {static_cast<int>(v)});
    }
    bool IsSelectedRedrawRunning(AudioValue v) const override {
        return redrawRunning.on.at(static_cast<size_t>(v));
    }
    void Setup_SelectedDelayRange(int time, int unit) override { Note(__func__, {time, unit}); }
    void Draw_VideoInput(int input) override { Note(__func__, {input}); }
    void Draw_SelectedEdidType() override { Note(__func__, {}); }
    void Enable_QRD(bool on) override {
        qrdEnabled = lstQrdEnabled = on;
        Note(__func__, {on});
    }
    void Enable_lstQRD(bool on) override {
        lstQrdEnabled = on;
        Note(__func__, {on});
    }
    void Enable_fraMemory(bool on) override { Note(__func__, {on}); }
    void ShowUnitRow(const QRDSTA& unit) override { Note(__func__, {int{unit.bID()}}); }
    void SetUnitIcon(uint8_t id, bool answering) override {
        Note(__func__, {int{id}, answering ? "GreenON" : "RedON"});
    }
    void SetUnitFirmwareText(uint8_t id, const QString& text) override {
        Note(__func__, {int{id}, text});
    }
    void ClearUnitList() override { Note(__func__, {}); }
    void ShowLastSeenRow(uint8_t id, const QString& name) override {
        Note(__func__, {int{id}, name});
    }
    void DropLastSeenRows(int id) override { Note(__func__, {id}); }
    void FillMemoryLocations() override { Note(__func__, {}); }
    void ClearMemoryLocations() override {
        memoryLocation.reset();
        Note(__func__, {});
    }
    std::optional<int> SelectedMemoryLocation() const override { return memoryLocation; }
    int MemoryRowCount() const override { return 0; }
    void ClearMemoryRows() override { Note(__func__, {}); }
    void SetMemoryRowInput(SignalKind k, int o, int i) override { Note(__func__, {k, o, i}); }
    void SetMemoryRowMuteStatus(int o, bool s, int m) override { Note(__func__, {o, s, m}); }
    void SetMemoryRowVolumnLevel(int o, bool s, int l) override { Note(__func__, {o, s, l}); }
    void SetMemoryRowBassLevel(int o, bool s, int l) override { Note(__func__, {o, s, l}); }
    void SetMemoryRowTrebleLevel(int o, bool s, int l) override { Note(__func__, {o, s, l}); }
    void SetMemoryRowSubwooferLevel(int o, bool s, int l) override { Note(__func__, {o, s, l}); }
    void SetMemoryRowDelayTime(int o, bool s, int32_t d) override { Note(__func__, {o, s, d}); }
    void SetBusyPointer(bool busy) override {
        busyPointer = busy;
        Note(__func__, {busy});
    }
    void SetScanCaption(const QString& caption) override {
        scanCaption = caption;
        Note(__func__, {caption});
    }

protected:
    virtual void Note(const char* call, std::initializer_list<ViewArg> args) = 0;
};

// Writes down every call, in order, as text such as "Draw_Crosspoint(3,1)".
class RecordingViews : public NotingViews {
public:
    std::vector<std::string> calls;

    bool Called(const std::string& call) const {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }
    // Calls whose text starts with `prefix`.
    std::vector<std::string> Matching(const std::string& prefix) const {
        std::vector<std::string> out;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                     [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
        return out;
    }

protected:
    void Note(const char* call, std::initializer_list<ViewArg> args) override {
        std::string text = std::string(call) + "(";
        for (const ViewArg& a : args) {
            text += (&a == args.begin() ? "" : ",");
            text += a.text ? a.text->toStdString() : a.word ? a.word : std::to_string(a.number);
        }
        calls.push_back(text + ")");
    }
};

} // namespace quadrel::test
