#include "model/QRD_INFO.h"

#include "link/QuadrelError.h"

#include <algorithm>

namespace quadrel {

UnitRef QRD_INFO::Add(uint8_t bID, const QString& sName, bool blConnected, int iMemoryCount,
                      int iInputCount, int iOutputCount, int iMaxCommandLB,
                      bool blExtendedInfoExist, std::shared_ptr<AUDIO_INFO> objAudioINFO,
                      std::shared_ptr<VIDEO_INFO> objVideoINFO,
                      std::shared_ptr<PLUG_INFO> objPlugINFO,
                      std::shared_ptr<FIRMWARE_VERSION> objFirmwareVersion, const QString& sKey) {
    if (!sKey.isEmpty() && Item(sKey)) {
        throw QuadrelError(457,
                           "This key is already associated with an element of this collection");
    }
    auto unit = std::make_shared<QRDSTA>();
    unit->setbID(bID);
    unit->Refresh(sName, blConnected, iMemoryCount, iInputCount, iOutputCount, iMaxCommandLB,
                  blExtendedInfoExist, std::move(objAudioINFO), std::move(objVideoINFO),
                  std::move(objPlugINFO), std::move(objFirmwareVersion));
    entries_.push_back({sKey, unit});
    return unit;
}

UnitRef QRD_INFO::Item(const QString& key) const {
    if (key.isEmpty()) {
        return nullptr;
    }
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.key == key; });
    return it == entries_.end() ? nullptr : it->unit;
}

UnitRef QRD_INFO::ItemById(int id) const {
    char text[12];
    char* end = text + sizeof text;
    char* begin = end;
    unsigned value = id < 0 ? 0u - static_cast<unsigned>(id) : static_cast<unsigned>(id);
    do {
        *--begin = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    if (id < 0) {
        *--begin = '-';
    }
    const QLatin1String key(begin, end);
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.key == key; });
    return it == entries_.end() ? nullptr : it->unit;
}

UnitRef QRD_INFO::Item(int position) const {
    if (position < 1 || position > static_cast<int>(entries_.size())) {
        return nullptr;
    }
    return entries_[static_cast<size_t>(position - 1)].unit;
}

bool QRD_INFO::Remove(const QString& key) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return !key.isEmpty() && e.key == key; });
    if (it == entries_.end()) {
        return false;
    }
    entries_.erase(it);
    return true;
}

bool QRD_INFO::Remove(int position) {
    if (position < 1 || position > static_cast<int>(entries_.size())) {
        return false;
    }
    entries_.erase(entries_.begin() + (position - 1));
    return true;
}

} // namespace quadrel
