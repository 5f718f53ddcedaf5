#pragma once

#include "model/ViewParts.h"

#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <set>

namespace quadrel::ctl {

// One output of a preset, as the reply handlers show it in the memory rows.
struct PresetRow {
    std::optional<int> audioInput, videoInput, mute, volume, bass, treble, subwoofer, delay;
};

// The console in place of the windows: the unit pane and the frame of the
// main window, drawing nothing. It keeps what the reply handlers show only
// there (a preset's contents, a unit given up) and tells progress.
class Console : public UnitPanePart, public FramePart {
public:
    // Progress lines, or nothing when standard error is not a terminal.
    void setProgress(std::function<void(const QString&)> progress) {
        progress_ = std::move(progress);
    }
    void Progress(const QString& line) const {
        if (progress_) {
            progress_(line);
        }
    }

    // The preset location the next read of a preset asks for.
    void setLocation(std::optional<int> location) { location_ = location; }
    const std::map<int, PresetRow>& presetRows() const { return rows_; }
    // Units that stopped answering during this run.
    const std::set<int>& givenUp() const { return givenUp_; }

    void Enable_lstQRD(bool) override {}
    void Enable_fraMemory(bool) override {}
    void ShowUnitRow(const QRDSTA& unit) override;
    void SetUnitIcon(uint8_t id, bool answering) override;
    void SetUnitFirmwareText(uint8_t, const QString&) override {}
    void ClearUnitList() override {}
    void FillMemoryLocations() override {}
    void ClearMemoryLocations() override {}
    std::optional<int> SelectedMemoryLocation() const override { return location_; }
    int MemoryRowCount() const override { return static_cast<int>(rows_.size()); }
    void ClearMemoryRows() override { rows_.clear(); }
    void SetMemoryRowInput(SignalKind kind, int output, int input) override;
    void SetMemoryRowMuteStatus(int output, bool supported, int mute) override;
    void SetMemoryRowVolumnLevel(int output, bool supported, int level) override;
    void SetMemoryRowBassLevel(int output, bool supported, int level) override;
    void SetMemoryRowTrebleLevel(int output, bool supported, int level) override;
    void SetMemoryRowSubwooferLevel(int output, bool supported, int level) override;
    void SetMemoryRowDelayTime(int output, bool supported, int32_t delay) override;

    void SetBusyPointer(bool) override {}
    void SetScanCaption(const QString&) override {}

private:
    std::function<void(const QString&)> progress_;
    std::optional<int> location_;
    std::map<int, PresetRow> rows_;
    std::set<int> givenUp_;
    std::set<int> shown_;
};

} // namespace quadrel::ctl
