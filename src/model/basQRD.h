#pragma once

#include "link/FrameBuilder.h"
#include "model/PresetStore.h"
#include "model/QRD_INFO.h"
#include "model/StatusTables.h"

#include <memory>

namespace quadrel {

class Views;

// The model of the line: every known unit, the selected unit, and the live
// status tables of the selected unit, indexed by port number 1 to 255.
class basQRD : public UnitDirectory {
public:
    basQRD();

    // The collection is a shared handle: a reply being handled keeps the old
    // one alive while a scan puts a new, empty one in its place.
    QRD_INFO& objUnits() { return *objUnits_; }
    const QRD_INFO& objUnits() const { return *objUnits_; }
    void ReplaceUnits() { objUnits_ = std::make_shared<QRD_INFO>(); }
    UnitRef FindUnit(uint8_t id) const override { return objUnits_->ItemById(id); }

    UnitRef objSelectedUnit;

    PortTable<AUDIO_OUTPUT_STATUS> AudioOutputs;
    PortTable<VIDEO_OUTPUT_STATUS> VideoOutputs;
    PortTable<VIDEO_INPUT_STATUS> VideoInputs;
    PortTable<int32_t> AudioInputPlugs;
    CrosspointTable Crosspoints;
    PortTable<AUDIO_OUTPUT_STATUS> MemoryAudioOutputs;
    // Every preset read of the selected unit; emptied with the status tables.
    PresetStore Presets;
    PortTable<PORT_SELECT> SwitchOutputSelect;
    PortTable<PORT_SELECT> AudioOutputSelect;
    PortTable<PORT_SELECT> VideoInputSelect;

    bool blLoadingStatus = false;
    bool blScanning = false;
    bool blLoadingMemory = false;
    int32_t lLastStatusStep = 0;
    int32_t lLastMemoryStep = 0;

    // Everything but the preset scratch table back to zero.
    void ClearUnitStatus();
    // Back to as built: no units, none selected, every table and flag cleared.
    void Reset();

    static bool IsInRange(long value, long low, long high) { return low <= value && value <= high; }

    // Route `input` (0: none) to `output` and keep the crosspoint flags in
    // step, redrawing the cells that changed.
    void SetAudioRoute(int output, int input, Views& views);
    void SetVideoRoute(int output, int input, Views& views);

    // Registers a unit from its information reply: a new record (selected
    // when it is the first) or a refresh in place of every property but the
    // ID; its row in the unit list follows.
    UnitRef AddOrUpdateUnit(uint8_t bID, const QString& sName, bool blConnected, int iMemoryCount,
                            int iInputCount, int iOutputCount, int iMaxCommandLB,
                            bool blExtendedInfoExist, std::shared_ptr<AUDIO_INFO> audio,
                            std::shared_ptr<VIDEO_INFO> video, std::shared_ptr<PLUG_INFO> plug,
                            std::shared_ptr<FIRMWARE_VERSION> firmware, Views& views);

private:
    std::shared_ptr<QRD_INFO> objUnits_;
};

} // namespace quadrel
