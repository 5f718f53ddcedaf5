#pragma once

#include "ctl/Console.h"
#include "model/ViewParts.h"

namespace quadrel::service {

// The owner's unit pane with a client's run looking over its shoulder: the
// window (or nothing, for the server) is told everything as before, and the
// run's console too, so that it learns which units went silent and what a
// preset holds. While a run reads a preset, its location is the one asked.
class JobPane : public UnitPanePart {
public:
    explicit JobPane(UnitPanePart& pane) : pane_(&pane) {}
    void setPane(UnitPanePart& pane) { pane_ = &pane; }
    void setRun(ctl::Console* run) { run_ = run; }

    void Enable_lstQRD(bool on) override { pane_->Enable_lstQRD(on); }
    void Enable_fraMemory(bool on) override { pane_->Enable_fraMemory(on); }
    void ShowUnitRow(const QRDSTA& unit) override {
        pane_->ShowUnitRow(unit);
        Both([&](UnitPanePart& p) { p.ShowUnitRow(unit); });
    }
    void SetUnitIcon(uint8_t id, bool answering) override {
        pane_->SetUnitIcon(id, answering);
        Both([&](UnitPanePart& p) { p.SetUnitIcon(id, answering); });
    }
    void SetUnitFirmwareText(uint8_t id, const QString& t) override {
        pane_->SetUnitFirmwareText(id, t);
    }
    void ClearUnitList() override { pane_->ClearUnitList(); }
    void ShowLastSeenRow(uint8_t id, const QString& name) override {
        pane_->ShowLastSeenRow(id, name);
    }
    void DropLastSeenRows(int id) override { pane_->DropLastSeenRows(id); }
    void FillMemoryLocations() override { pane_->FillMemoryLocations(); }
    void ClearMemoryLocations() override { pane_->ClearMemoryLocations(); }
    std::optional<int> SelectedMemoryLocation() const override {
        if (run_ != nullptr && run_->SelectedMemoryLocation()) {
            return run_->SelectedMemoryLocation();
        }
        return pane_->SelectedMemoryLocation();
    }
    int MemoryRowCount() const override {
        return run_ != nullptr && run_->SelectedMemoryLocation() ? run_->MemoryRowCount()
                                                                 : pane_->MemoryRowCount();
    }
    void ClearMemoryRows() override {
        pane_->ClearMemoryRows();
        Both([&](UnitPanePart& p) { p.ClearMemoryRows(); });
    }
    void SetMemoryRowInput(SignalKind k, int o, int i) override {
        pane_->SetMemoryRowInput(k, o, i);
        Both([&](UnitPanePart& p) { p.SetMemoryRowInput(k, o, i); });
    }
    void SetMemoryRowMuteStatus(int o, bool s, int m) override {
        pane_->SetMemoryRowMuteStatus(o, s, m);
        Both([&](UnitPanePart& p) { p.SetMemoryRowMuteStatus(o, s, m); });
    }
    void SetMemoryRowVolumnLevel(int o, bool s, int l) override {
        pane_->SetMemoryRowVolumnLevel(o, s, l);
        Both([&](UnitPanePart& p) { p.SetMemoryRowVolumnLevel(o, s, l); });
    }
    void SetMemoryRowBassLevel(int o, bool s, int l) override {
        pane_->SetMemoryRowBassLevel(o, s, l);
        Both([&](UnitPanePart& p) { p.SetMemoryRowBassLevel(o, s, l); });
    }
    void SetMemoryRowTrebleLevel(int o, bool s, int l) override {
        pane_->SetMemoryRowTrebleLevel(o, s, l);
        Both([&](UnitPanePart& p) { p.SetMemoryRowTrebleLevel(o, s, l); });
    }
    void SetMemoryRowSubwooferLevel(int o, bool s, int l) override {
        pane_->SetMemoryRowSubwooferLevel(o, s, l);
        Both([&](UnitPanePart& p) { p.SetMemoryRowSubwooferLevel(o, s, l); });
    }
    void SetMemoryRowDelayTime(int o, bool s, int32_t d) override {
        pane_->SetMemoryRowDelayTime(o, s, d);
        Both([&](UnitPanePart& p) { p.SetMemoryRowDelayTime(o, s, d); });
    }

private:
    template <typename Fn> void Both(Fn&& fn) {
        if (run_ != nullptr) {
            fn(*run_);
        }
    }

    UnitPanePart* pane_;
    ctl::Console* run_ = nullptr;
};

} // namespace quadrel::service
