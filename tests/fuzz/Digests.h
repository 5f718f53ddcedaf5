#pragma once

// The fuzzing rig's fakes of the views, the trace and the line: each folds
// what it is handed into a digest instead of keeping it, so an input costs no
// allocation here beyond the link's own read.

#include "link/LinkTrace.h"
#include "link/SerialPort.h"
#include "model/Views.h"

#include <array>
#include <cstdint>
#include <optional>

namespace quadrel::test {

// FNV-1a over everything mixed in (a word at a time): cheap enough to run on every fuzz input.
// The fuzzer's own runs, whose results nobody reads, switch it off.
class Digest {
public:
    void Mix(uint64_t v) {
        if (on) {
            hash_ = (hash_ ^ v) * 0x100000001B3ULL;
            hash_ ^= hash_ >> 29;
        }
    }
    void Mix(const uint8_t* p, size_t n) {
        Mix(n);
        for (size_t i = 0; on && i < n; ++i) {
            hash_ = (hash_ ^ p[i]) * 0x100000001B3ULL;
        }
    }
    uint64_t value() const { return hash_; }
    void Reset() { hash_ = kSeed; }
    bool on = true;

private:
    static constexpr uint64_t kSeed = 0xCBF29CE484222325ULL;
    uint64_t hash_ = kSeed;
};

// A views fake that folds every call and its arguments into a digest instead
// of writing text, and keeps the little state the core reads back.
class DigestViews : public Views {
public:
    Digest digest;
    std::optional<int> memoryLocation;

    void Reset() {
        digest.Reset();
        memoryLocation.reset();
        memoryRows_ = 0;
        redrawRunning_.fill(false);
    }

    void Setup_AllViews() override { Add(1); }
    void Draw_Crosspoint(int input, int output) override { Add(2, input, output); }
    void Draw_InputPlug(SignalKind k, int input) override { Add(3, K(k), input); }
    void Draw_OutputPlug(SignalKind k, int output) override { Add(4, K(k), output); }
    void ResetSelectionAnchors() override { Add(5); }
    void UntickSelectAll() override { Add(6); }
    void Draw_AudioOutputMute(int o) override { Add(7, o); }
    void Draw_AudioOutputVolumnLevel(int o) override { Add(8, o); }
    void Draw_AudioOutputBassLevel(int o) override { Add(9, o); }
    void Draw_AudioOutputTrebleLevel(int o) override { Add(10, o); }
    void Draw_AudioOutputSubwooferLevel(int o) override { Add(11, o); }
    void Draw_AudioOutputDelayTime(int o) override { Add(12, o); }
    void RestartSelectedRedraw(AudioValue v) override {
        redrawRunning_.at(static_cast<size_t>(v)) = true;
        Add(13, static_cast<int>(v));
    }
    bool IsSelectedRedrawRunning(AudioValue v) const override {
        return redrawRunning_.at(static_cast<size_t>(v));
    }
    void Setup_SelectedDelayRange(int maxTime, int unit) override { Add(14, maxTime, unit); }
    void Draw_VideoInput(int input) override { Add(15, input); }
    void Draw_SelectedEdidType() override { Add(16); }
    void Enable_QRD(bool on) override { Add(17, on); }
    void Enable_lstQRD(bool on) override { Add(18, on); }
    void Enable_fraMemory(bool on) override { Add(19, on); }
    void ShowUnitRow(const QRDSTA& unit) override {
        Add(20, unit.bID(), unit.iInputCount(), unit.iOutputCount(), unit.iMemoryCount());
        MixText(unit.sName());
    }
    void SetUnitIcon(uint8_t id, bool answering) override { Add(21, id, answering); }
    void SetUnitFirmwareText(uint8_t id, const QString& text) override {
        Add(22, id);
        MixText(text);
    }
    void ClearUnitList() override { Add(23); }
    void FillMemoryLocations() override { Add(24); }
    void ClearMemoryLocations() override {
        memoryLocation.reset();
        Add(25);
    }
    std::optional<int> SelectedMemoryLocation() const override { return memoryLocation; }
    int MemoryRowCount() const override { return memoryRows_; }
    void ClearMemoryRows() override {
        memoryRows_ = 0;
        Add(26);
    }
    void SetMemoryRowInput(SignalKind k, int o, int i) override { Add(27, K(k), o, i); }
    void SetMemoryRowMuteStatus(int o, bool s, int m) override { Add(28, o, s, m); }
    void SetMemoryRowVolumnLevel(int o, bool s, int l) override { Add(29, o, s, l); }
    void SetMemoryRowBassLevel(int o, bool s, int l) override { Add(30, o, s, l); }
    void SetMemoryRowTrebleLevel(int o, bool s, int l) override { Add(31, o, s, l); }
    void SetMemoryRowSubwooferLevel(int o, bool s, int l) override { Add(32, o, s, l); }
    void SetMemoryRowDelayTime(int o, bool s, int32_t d) override { Add(33, o, s, d); }
    void SetBusyPointer(bool busy) override { Add(34, busy); }
    void SetScanCaption(const QString& caption) override {
        Add(35);
        MixText(caption);
    }

private:
    static int K(SignalKind k) { return k == SignalKind::Video ? 1 : 0; }
    template <typename... Args> void Add(int call, Args... args) {
        digest.Mix(static_cast<uint64_t>(call));
        (digest.Mix(static_cast<uint64_t>(static_cast<int64_t>(args))), ...);
    }
    void MixText(const QString& text) {
        digest.Mix(reinterpret_cast<const uint8_t*>(text.utf16()),
                   static_cast<size_t>(text.size()) * 2);
    }

    int memoryRows_ = 0;
    std::array<bool, 6> redrawRunning_{};
};

// Folds the trace into a digest: each piece with its direction.
struct DigestTrace : LinkTrace {
    Digest digest;
    void LogSend(const Bytes& b) override { Log(1, b); }
    void LogRecv(const Bytes& b) override { Log(2, b); }
    void Log(uint64_t direction, const Bytes& b) {
        digest.Mix(direction);
        digest.Mix(b.data(), b.size());
    }
};

// The line of the fuzzing rig: it hands the link bytes straight from the
// input, and folds the frames written into a digest instead of keeping them,
// so an input costs no allocation here beyond the link's own read.
class FuzzPort : public SerialPort {
public:
    Digest digest;
    bool open(int portNumber, const QString& settings) override {
        open_ = true;
        portNumber_ = portNumber;
        settings_ = settings;
        return true;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    int portNumber() const override { return portNumber_; }
    QString settings() const override { return settings_; }

    void write(const Bytes& bytes) override { digest.Mix(bytes.data(), bytes.size()); }
    Bytes readAll() override {
        Bytes all(pending_.begin(), pending_.end());
        pending_.clear();
        return all;
    }
    int outputBufferSize() const override { return 512; }
    bool getTimeouts(PortTimeouts& t) const override {
        t = timeouts_;
        return open_;
    }
    bool setTimeouts(const PortTimeouts& t) override {
        timeouts_ = t;
        return open_;
    }

    // The line delivers bytes: they become readable and the link is told.
    void deliver(const uint8_t* bytes, size_t size) {
        pending_.insert(pending_.end(), bytes, bytes + size);
        notifyReceived();
    }
    void deliver(const Bytes& bytes) { deliver(bytes.data(), bytes.size()); }

    bool IsAsBuilt() const { return open_ && pending_.empty(); }
    void Reset() {
        pending_.clear();
        timeouts_ = PortTimeouts{};
        digest.Reset();
    }

private:
    bool open_ = false;
    int portNumber_ = 0;
    QString settings_;
    PortTimeouts timeouts_;
    Bytes pending_;
};

} // namespace quadrel::test
