#pragma once

#include "model/QRDSTA.h"

#include <QString>

#include <vector>

namespace quadrel {

// The units known on the line, keyed by the ID as decimal text, enumerated in
// insertion order. A missing key or position gives no unit, never an error.
class QRD_INFO {
public:
    UnitRef Add(uint8_t bID, const QString& sName, bool blConnected, int iMemoryCount,
                int iInputCount, int iOutputCount, int iMaxCommandLB, bool blExtendedInfoExist,
                std::shared_ptr<AUDIO_INFO> objAudioINFO, std::shared_ptr<VIDEO_INFO> objVideoINFO,
                std::shared_ptr<PLUG_INFO> objPlugINFO,
                std::shared_ptr<FIRMWARE_VERSION> objFirmwareVersion, const QString& sKey);

    UnitRef Item(const QString& key) const;
    UnitRef Item(int position) const; // 1-based
    // The record of a unit ID: the key is the ID as decimal text, compared
    // without building that text (this runs for nearly every frame).
    UnitRef ItemById(int id) const;
    long Count() const { return static_cast<long>(entries_.size()); }
    bool Remove(const QString& key);
    bool Remove(int position);
    void Clear() { entries_.clear(); }

    // Enumeration in insertion order.
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

    struct Entry {
        QString key;
        UnitRef unit;
        const UnitRef& operator*() const { return unit; }
    };

private:
    std::vector<Entry> entries_;
};

} // namespace quadrel
