#pragma once

#include "model/LineWatcher.h"
#include "model/NullViewParts.h"
#include "model/ViewParts.h"
#include "model/Views.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

namespace quadrel {

// The one Views of the core, put together from the window areas that own
// each routine. The routines that span areas run them in their set order.
//
// While held, what the windows are told waits, in order, until the last hold
// ends: the program holds the hub over a reply's handling, so the next frame
// leaves before any widget is drawn. A port drawn again while its drawing
// waits is drawn once; a question to the windows, or any routine told while
// the hub is not held, first tells them all that waits.
class ViewsHub : public Views {
public:
    // Holds the hub for its own lifetime.
    class Held {
    public:
        explicit Held(ViewsHub& hub) : hub_(hub) { ++hub_.holds_; }
        ~Held() {
            if (--hub_.holds_ == 0 && !hub_.held_.empty()) {
                if (hub_.later_) {
                    hub_.later_();
                } else {
                    hub_.RunHeld();
                }
            }
        }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        ViewsHub& hub_;
    };

    // Until the windows exist the core draws on nothing.
    ViewsHub() = default;
    ViewsHub(SwitchViewPart& sw, AudioViewPart& audio, VideoViewPart& video, UnitPanePart& pane,
             FramePart& frame)
        : sw_(&sw), audio_(&audio), video_(&video), pane_(&pane), frame_(&frame) {}

    ViewsHub(const ViewsHub&) = delete;
    ViewsHub& operator=(const ViewsHub&) = delete;

    // Back to drawing on nothing, before the windows go.
    void Detach() {
        held_.clear();
        drawn_.Clear();
        later_ = nullptr;
        sw_ = &noSwitch_;
        audio_ = &noAudio_;
        video_ = &noVideo_;
        pane_ = &noPane_;
        frame_ = &noFrame_;
        onSetup_ = nullptr;
        watcher_ = nullptr;
    }

    // What a hold's end asks for when something waits: that RunWaiting be
    // called soon, from the program's event loop. Without it, what waits is
    // told as the hold ends.
    void setLater(std::function<void()> later) { later_ = std::move(later); }
    void RunWaiting() { TellWaiting(); }

    void setSwitchView(SwitchViewPart& part) { sw_ = &part; }
    void setAudioView(AudioViewPart& part) { audio_ = &part; }
    void setVideoView(VideoViewPart& part) { video_ = &part; }
    void setUnitPane(UnitPanePart& part) { pane_ = &part; }
    void setFrame(FramePart& part) { frame_ = &part; }

    // Also told what is drawn and which units change, after the windows.
    void setWatcher(LineWatcher* watcher) { watcher_ = watcher; }

    // Told before each layout refresh: the selected unit may be another.
    void setOnSetup(std::function<void()> onSetup) { onSetup_ = std::move(onSetup); }

    // Switch, then audio, then video layout.
    void Setup_AllViews() override {
        Tell([this] {
            if (onSetup_) {
                onSetup_();
            }
            sw_->Setup_SwitchView();
            audio_->Setup_AudioOutputScroll();
            video_->Setup_VideoInputScroll();
        });
    }
    // The unit list, then every page's controls, then the memory frame, then
    // the frame's settings buttons.
    void Enable_QRD(bool on) override {
        Tell([this, on] {
            pane_->Enable_lstQRD(on);
            sw_->Enable_SwitchControl(on);
            audio_->Enable_AudioControl(on);
            video_->Enable_VideoControl(on);
            pane_->Enable_fraMemory(on);
            frame_->Enable_UnitSettings(on);
        });
    }
    void ResetSelectionAnchors() override {
        Tell([this] {
            sw_->ResetSwitchAnchor();
            audio_->ResetAudioAnchor();
            video_->ResetVideoAnchor();
        });
    }
    void UntickSelectAll() override {
        Tell([this] {
            sw_->UntickSelAllSwitchOutput();
            audio_->UntickSelAllAudioOutput();
            video_->UntickSelAllVideoInput();
        });
    }

    void Draw_Crosspoint(int i, int o) override {
        Draw(Key(Port::Crosspoint, i, o), [this, i, o] {
            sw_->Draw_Crosspoint(i, o);
            Watch(LineWatcher::What::Route, i, o);
        });
    }
    // A video input's plug shows on the switch view and on its video panel.
    void Draw_InputPlug(SignalKind k, int i) override {
        Draw(Key(Port::InputPlug, static_cast<int>(k), i), [this, k, i] {
            sw_->Draw_InputPlug(k, i);
            if (k == SignalKind::Video) {
                video_->Draw_VideoInput(i);
            }
            Watch(LineWatcher::What::InputPlug, static_cast<int>(k), i);
        });
    }
    void Draw_OutputPlug(SignalKind k, int o) override {
        Draw(Key(Port::OutputPlug, static_cast<int>(k), o), [this, k, o] {
            sw_->Draw_OutputPlug(k, o);
            Watch(LineWatcher::What::OutputPlug, static_cast<int>(k), o);
        });
    }

    void Draw_AudioOutputMute(int o) override {
        Draw(Key(Port::Mute, 0, o), [this, o] {
            audio_->Draw_AudioOutputMute(o);
            Watch(LineWatcher::What::Audio, 0, o);
        });
    }
    void Draw_AudioOutputVolumnLevel(int o) override {
        Draw(Key(Port::Volumn, 0, o), [this, o] {
            audio_->Draw_AudioOutputVolumnLevel(o);
            Watch(LineWatcher::What::Audio, 0, o);
        });
    }
    void Draw_AudioOutputBassLevel(int o) override {
        Draw(Key(Port::Bass, 0, o), [this, o] {
            audio_->Draw_AudioOutputBassLevel(o);
            Watch(LineWatcher::What::Audio, 0, o);
        });
    }
    void Draw_AudioOutputTrebleLevel(int o) override {
        Draw(Key(Port::Treble, 0, o), [this, o] {
            audio_->Draw_AudioOutputTrebleLevel(o);
            Watch(LineWatcher::What::Audio, 0, o);
        });
    }
    void Draw_AudioOutputSubwooferLevel(int o) override {
        Draw(Key(Port::Subwoofer, 0, o), [this, o] {
            audio_->Draw_AudioOutputSubwooferLevel(o);
            Watch(LineWatcher::What::Audio, 0, o);
        });
    }
    void Draw_AudioOutputDelayTime(int o) override {
        Draw(Key(Port::Delay, 0, o), [this, o] {
            audio_->Draw_AudioOutputDelayTime(o);
            Watch(LineWatcher::What::Audio, 0, o);
        });
    }
    void RestartSelectedRedraw(AudioValue v) override {
        Tell([this, v] { audio_->RestartSelectedRedraw(v); });
    }
    bool IsSelectedRedrawRunning(AudioValue v) const override {
        TellWaiting();
        return audio_->IsSelectedRedrawRunning(v);
    }
    void Setup_SelectedDelayRange(int maxTime, int unit) override {
        Tell([this, maxTime, unit] { audio_->Setup_SelectedDelayRange(maxTime, unit); });
    }

    void Draw_VideoInput(int i) override {
        Draw(Key(Port::VideoInput, 0, i), [this, i] {
            video_->Draw_VideoInput(i);
            Watch(LineWatcher::What::VideoInput, 0, i);
        });
    }
    void Draw_SelectedEdidType() override {
        Draw(Key(Port::SelectedEdid, 0, 0), [this] { video_->Draw_SelectedEdidType(); });
    }

    void Enable_lstQRD(bool on) override {
        Tell([this, on] { pane_->Enable_lstQRD(on); });
    }
    void Enable_fraMemory(bool on) override {
        Tell([this, on] { pane_->Enable_fraMemory(on); });
    }
    // The row shows the unit as it is now, should its record go meanwhile.
    void ShowUnitRow(const QRDSTA& unit) override {
        Tell([this, unit] {
            pane_->ShowUnitRow(unit);
            if (watcher_ != nullptr) {
                watcher_->UnitChanged(unit.bID());
            }
        });
    }
    void SetUnitIcon(uint8_t id, bool answering) override {
        Tell([this, id, answering] {
            pane_->SetUnitIcon(id, answering);
            if (watcher_ != nullptr) {
                watcher_->UnitChanged(id);
            }
        });
    }
    void SetUnitFirmwareText(uint8_t id, const QString& t) override {
        Tell([this, id, t] { pane_->SetUnitFirmwareText(id, t); });
    }
    void ClearUnitList() override {
        Tell([this] { pane_->ClearUnitList(); });
    }
    void ShowLastSeenRow(uint8_t id, const QString& name) override {
        Tell([this, id, name] { pane_->ShowLastSeenRow(id, name); });
    }
    void DropLastSeenRows(int id) override {
        Tell([this, id] { pane_->DropLastSeenRows(id); });
    }
    void FillMemoryLocations() override {
        Tell([this] { pane_->FillMemoryLocations(); });
    }
    void ClearMemoryLocations() override {
        Tell([this] { pane_->ClearMemoryLocations(); });
    }
    std::optional<int> SelectedMemoryLocation() const override {
        TellWaiting();
        return pane_->SelectedMemoryLocation();
    }
    int MemoryRowCount() const override {
        TellWaiting();
        return pane_->MemoryRowCount();
    }
    void ClearMemoryRows() override {
        Tell([this] { pane_->ClearMemoryRows(); });
    }
    void SetMemoryRowInput(SignalKind k, int o, int i) override {
        Tell([this, k, o, i] { pane_->SetMemoryRowInput(k, o, i); });
    }
    void SetMemoryRowMuteStatus(int o, bool s, int m) override {
        Tell([this, o, s, m] { pane_->SetMemoryRowMuteStatus(o, s, m); });
    }
    void SetMemoryRowVolumnLevel(int o, bool s, int l) override {
        Tell([this, o, s, l] { pane_->SetMemoryRowVolumnLevel(o, s, l); });
    }
    void SetMemoryRowBassLevel(int o, bool s, int l) override {
        Tell([this, o, s, l] { pane_->SetMemoryRowBassLevel(o, s, l); });
    }
    void SetMemoryRowTrebleLevel(int o, bool s, int l) override {
        Tell([this, o, s, l] { pane_->SetMemoryRowTrebleLevel(o, s, l); });
    }
    void SetMemoryRowSubwooferLevel(int o, bool s, int l) override {
        Tell([this, o, s, l] { pane_->SetMemoryRowSubwooferLevel(o, s, l); });
    }
    void SetMemoryRowDelayTime(int o, bool s, int32_t d) override {
        Tell([this, o, s, d] { pane_->SetMemoryRowDelayTime(o, s, d); });
    }

    void SetBusyPointer(bool busy) override {
        Tell([this, busy] { frame_->SetBusyPointer(busy); });
    }
    void SetScanCaption(const QString& caption) override {
        Tell([this, caption] { frame_->SetScanCaption(caption); });
    }

private:
    // The ports whose drawing waits. A reply draws a port for each of its
    // pairs before the next frame leaves: open addressing, with no allocation
    // once it has grown to the largest reply.
    class WaitingKeys {
    public:
        // True when the key was not there yet.
        bool Insert(uint64_t key) {
            if ((count_ + 1) * 2 > slots_.size()) {
                Grow();
            }
            const size_t mask = slots_.size() - 1;
            for (size_t i = (key * 0x9E3779B97F4A7C15ull) >> 32 & mask;; i = (i + 1) & mask) {
                if (slots_[i] == key) {
                    return false;
                }
                if (slots_[i] == kEmpty) {
                    slots_[i] = key;
                    ++count_;
                    return true;
                }
            }
        }
        void Clear() {
            if (count_ != 0) {
                std::fill(slots_.begin(), slots_.end(), kEmpty);
                count_ = 0;
            }
        }

    private:
        static constexpr uint64_t kEmpty = ~uint64_t{0}; // no port's key: its kind is small
        void Grow() {
            std::vector<uint64_t> old(std::max<size_t>(64, slots_.size() * 2), kEmpty);
            old.swap(slots_);
            count_ = 0;
            for (const uint64_t key : old) {
                if (key != kEmpty) {
                    Insert(key);
                }
            }
        }
        std::vector<uint64_t> slots_;
        size_t count_ = 0;
    };

    // The routines that draw one port (or one control) from the model.
    enum class Port : uint8_t {
        Crosspoint,
        InputPlug,
        OutputPlug,
        Mute,
        Volumn,
        Bass,
        Treble,
        Subwoofer,
        Delay,
        VideoInput,
        SelectedEdid,
    };
    static uint64_t Key(Port port, int a, int b) {
        return static_cast<uint64_t>(port) << 56 |
               static_cast<uint64_t>(static_cast<uint32_t>(a) & 0xFFFFFF) << 32 |
               static_cast<uint32_t>(b);
    }
    void Watch(LineWatcher::What what, int a, int b) {
        if (watcher_ != nullptr) {
            watcher_->PortChanged(what, a, b);
        }
    }
    // A routine in its turn: now, or when the hold ends.
    template <typename Fn> void Tell(Fn&& fn) {
        if (holds_ == 0) {
            TellWaiting();
            fn();
            return;
        }
        // What comes after it may change what a waiting drawing would show.
        drawn_.Clear();
        held_.emplace_back(std::forward<Fn>(fn));
    }
    // A drawing from the model: one is enough until something else comes.
    template <typename Fn> void Draw(uint64_t key, Fn&& fn) {
        if (holds_ == 0) {
            TellWaiting();
            fn();
            return;
        }
        if (drawn_.Insert(key)) {
            held_.emplace_back(std::forward<Fn>(fn));
        }
    }
    // Tells every routine that waits, in order. While they run the hub is
    // not held: what they tell it in turn is told at once, as it would have
    // been; a hold of their own ends with the rest of the line.
    void RunHeld() const {
        const int holds = holds_;
        holds_ = 0;
        drawn_.Clear();
        while (!held_.empty()) {
            const std::function<void()> next = std::move(held_.front());
            held_.pop_front();
            next();
        }
        holds_ = holds;
    }
    // Before a question: the windows answer as if nothing had waited.
    void TellWaiting() const {
        if (!held_.empty()) {
            RunHeld();
        }
    }

    NullSwitchView noSwitch_;
    NullAudioView noAudio_;
    NullVideoView noVideo_;
    NullUnitPane noPane_;
    NullFrame noFrame_;
    SwitchViewPart* sw_ = &noSwitch_;
    AudioViewPart* audio_ = &noAudio_;
    VideoViewPart* video_ = &noVideo_;
    UnitPanePart* pane_ = &noPane_;
    FramePart* frame_ = &noFrame_;
    mutable int holds_ = 0;
    mutable std::deque<std::function<void()>> held_;
    mutable WaitingKeys drawn_;
    std::function<void()> later_;
    std::function<void()> onSetup_;
    LineWatcher* watcher_ = nullptr;
};

} // namespace quadrel
