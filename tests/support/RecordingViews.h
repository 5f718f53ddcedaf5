#pragma once

#include "model/Views.h"

#include <QString>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quadrel::test {

// A views fake that writes down every call, in order, as text such as
// "Draw_Crosspoint(3,1)", and keeps the little state the core reads back.
class RecordingViews : public Views {
public:
    std::vector<std::string> calls;
    std::optional<int> memoryLocation;
    int memoryRows = 0;
    std::map<AudioValue, bool> redrawRunning;
    bool busyPointer = false;
    QString scanCaption = QStringLiteral("S&can");
    bool qrdEnabled = false;
    bool lstQrdEnabled = false;

    bool Called(const std::string& call) const {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }
    size_t Count(const std::string& call) const {
        return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
    }
    // Calls whose text starts with `prefix`.
    std::vector<std::string> Matching(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& c : calls) {
            if (c.rfind(prefix, 0) == 0) {
                out.push_back(c);
            }
        }
        return out;
    }

    void Setup_AllViews() override { Add("Setup_AllViews"); }
    void Draw_Crosspoint(int input, int output) override { Add("Draw_Crosspoint", input, output); }
    void Draw_InputPlug(SignalKind k, int input) override { Add("Draw_InputPlug", K(k), input); }
    void Draw_OutputPlug(SignalKind k, int output) override {
        Add("Draw_OutputPlug", K(k), output);
    }
    void ResetSelectionAnchors() override { Add("ResetSelectionAnchors"); }
    void UntickSelectAll() override { Add("UntickSelectAll"); }
    void Draw_AudioOutputMute(int o) override { Add("Draw_AudioOutputMute", o); }
    void Draw_AudioOutputVolumnLevel(int o) override { Add("Draw_AudioOutputVolumnLevel", o); }
    void Draw_AudioOutputBassLevel(int o) override { Add("Draw_AudioOutputBassLevel", o); }
    void Draw_AudioOutputTrebleLevel(int o) override { Add("Draw_AudioOutputTrebleLevel", o); }
    void Draw_AudioOutputSubwooferLevel(int o) override {
        Add("Draw_AudioOutputSubwooferLevel", o);
    }
    void Draw_AudioOutputDelayTime(int o) override { Add("Draw_AudioOutputDelayTime", o); }
    void RestartSelectedRedraw(AudioValue v) override {
        redrawRunning[v] = true;
        Add("RestartSelectedRedraw", static_cast<int>(v));
    }
    bool IsSelectedRedrawRunning(AudioValue v) const override {
        auto it = redrawRunning.find(v);
        return it != redrawRunning.end() && it->second;
    }
    void Setup_SelectedDelayRange(int maxTime, int unit) override {
        Add("Setup_SelectedDelayRange", maxTime, unit);
    }
    void Draw_VideoInput(int input) override { Add("Draw_VideoInput", input); }
    void Draw_SelectedEdidType() override { Add("Draw_SelectedEdidType"); }
    void Enable_QRD(bool on) override {
        qrdEnabled = on;
        lstQrdEnabled = on;
        Add("Enable_QRD", on);
    }
    void Enable_lstQRD(bool on) override {
        lstQrdEnabled = on;
        Add("Enable_lstQRD", on);
    }
    void Enable_fraMemory(bool on) override { Add("Enable_fraMemory", on); }
    void ShowUnitRow(const QRDSTA& unit) override { Add("ShowUnitRow", unit.bID()); }
    void SetUnitIcon(uint8_t id, bool answering) override {
        calls.push_back("SetUnitIcon(" + std::to_string(id) +
                        (answering ? ",GreenON)" : ",RedON)"));
    }
    void SetUnitFirmwareText(uint8_t id, const QString& text) override {
        calls.push_back("SetUnitFirmwareText(" + std::to_string(id) + "," + text.toStdString() +
                        ")");
    }
    void ClearUnitList() override { Add("ClearUnitList"); }
    void FillMemoryLocations() override { Add("FillMemoryLocations"); }
    void ClearMemoryLocations() override {
        memoryLocation.reset();
        Add("ClearMemoryLocations");
    }
    std::optional<int> SelectedMemoryLocation() const override { return memoryLocation; }
    int MemoryRowCount() const override { return memoryRows; }
    void ClearMemoryRows() override {
        memoryRows = 0;
        Add("ClearMemoryRows");
    }
    void SetMemoryRowInput(SignalKind k, int o, int i) override {
        Add("SetMemoryRowInput", K(k), o, i);
    }
    void SetMemoryRowMuteStatus(int o, bool s, int m) override {
        Add("SetMemoryRowMuteStatus", o, s, m);
    }
    void SetMemoryRowVolumnLevel(int o, bool s, int l) override {
        Add("SetMemoryRowVolumnLevel", o, s, l);
    }
    void SetMemoryRowBassLevel(int o, bool s, int l) override {
        Add("SetMemoryRowBassLevel", o, s, l);
    }
    void SetMemoryRowTrebleLevel(int o, bool s, int l) override {
        Add("SetMemoryRowTrebleLevel", o, s, l);
    }
    void SetMemoryRowSubwooferLevel(int o, bool s, int l) override {
        Add("SetMemoryRowSubwooferLevel", o, s, l);
    }
    void SetMemoryRowDelayTime(int o, bool s, int32_t d) override {
        Add("SetMemoryRowDelayTime", o, s, d);
    }
    void SetBusyPointer(bool busy) override {
        busyPointer = busy;
        Add("SetBusyPointer", busy);
    }
    void SetScanCaption(const QString& caption) override {
        scanCaption = caption;
        calls.push_back("SetScanCaption(" + caption.toStdString() + ")");
    }

private:
    static std::string K(SignalKind k) { return k == SignalKind::Video ? "V" : "A"; }
    template <typename... Args> void Add(const char* name, Args... args) {
        std::string text = std::string(name) + "(";
        bool first = true;
        ((text += (first ? "" : ",") + Text(args), first = false), ...);
        calls.push_back(text + ")");
    }
    static std::string Text(int v) { return std::to_string(v); }
    static std::string Text(const std::string& v) { return v; }
    static std::string Text(bool v) { return v ? "true" : "false"; }
};

} // namespace quadrel::test
