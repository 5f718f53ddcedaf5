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
    std::map<AudioValue, bool> redrawRunning;
    bool busyPointer = false;
    QString scanCaption = QStringLiteral("S&can");
    bool qrdEnabled = false;
    bool lstQrdEnabled = false;

    bool Called(const std::string& call) const {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
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

    void Setup_AllViews() override { Add(__func__); }
    void Draw_Crosspoint(int input, int output) override { Add(__func__, input, output); }
    void Draw_InputPlug(SignalKind k, int input) override { Add(__func__, K(k), input); }
    void Draw_OutputPlug(SignalKind k, int output) override { Add(__func__, K(k), output); }
    void ResetSelectionAnchors() override { Add(__func__); }
    void UntickSelectAll() override { Add(__func__); }
    void Draw_AudioOutputMute(int o) override { Add(__func__, o); }
    void Draw_AudioOutputVolumnLevel(int o) override { Add(__func__, o); }
    void Draw_AudioOutputBassLevel(int o) override { Add(__func__, o); }
    void Draw_AudioOutputTrebleLevel(int o) override { Add(__func__, o); }
    void Draw_AudioOutputSubwooferLevel(int o) override { Add(__func__, o); }
    void Draw_AudioOutputDelayTime(int o) override { Add(__func__, o); }
    void RestartSelectedRedraw(AudioValue v) override {
        redrawRunning[v] = true;
        Add(__func__, static_cast<int>(v));
    }
    bool IsSelectedRedrawRunning(AudioValue v) const override {
        auto it = redrawRunning.find(v);
        return it != redrawRunning.end() && it->second;
    }
    void Setup_SelectedDelayRange(int time, int unit) override { Add(__func__, time, unit); }
    void Draw_VideoInput(int input) override { Add(__func__, input); }
    void Draw_SelectedEdidType() override { Add(__func__); }
    void Enable_QRD(bool on) override {
        qrdEnabled = lstQrdEnabled = on;
        Add(__func__, on);
    }
    void Enable_lstQRD(bool on) override {
        lstQrdEnabled = on;
        Add(__func__, on);
    }
    void Enable_fraMemory(bool on) override { Add(__func__, on); }
    void ShowUnitRow(const QRDSTA& unit) override { Add(__func__, int{unit.bID()}); }
    void SetUnitIcon(uint8_t id, bool answering) override {
        Add(__func__, int{id}, std::string(answering ? "GreenON" : "RedON"));
    }
    void SetUnitFirmwareText(uint8_t id, const QString& text) override {
        Add(__func__, int{id}, text.toStdString());
    }
    void ClearUnitList() override { Add(__func__); }
    void FillMemoryLocations() override { Add(__func__); }
    void ClearMemoryLocations() override {
        memoryLocation.reset();
        Add(__func__);
    }
    std::optional<int> SelectedMemoryLocation() const override { return memoryLocation; }
    int MemoryRowCount() const override { return 0; }
    void ClearMemoryRows() override { Add(__func__); }
    void SetMemoryRowInput(SignalKind k, int o, int i) override { Add(__func__, K(k), o, i); }
    void SetMemoryRowMuteStatus(int o, bool s, int m) override { Add(__func__, o, s, m); }
    void SetMemoryRowVolumnLevel(int o, bool s, int l) override { Add(__func__, o, s, l); }
    void SetMemoryRowBassLevel(int o, bool s, int l) override { Add(__func__, o, s, l); }
    void SetMemoryRowTrebleLevel(int o, bool s, int l) override { Add(__func__, o, s, l); }
    void SetMemoryRowSubwooferLevel(int o, bool s, int l) override { Add(__func__, o, s, l); }
    void SetMemoryRowDelayTime(int o, bool s, int32_t d) override { Add(__func__, o, s, d); }
    void SetBusyPointer(bool busy) override {
        busyPointer = busy;
        Add(__func__, busy);
    }
    void SetScanCaption(const QString& caption) override {
        scanCaption = caption;
        Add(__func__, caption.toStdString());
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
