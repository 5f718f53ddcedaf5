#pragma once

#include <QString>

#include <cstdint>
#include <memory>

namespace quadrel {

// Audio capabilities. The five control getters answer false when the unit has
// no audio section, whatever the stored flag says.
class AUDIO_INFO {
public:
    int32_t lMaxDelayLevel() const { return lMaxDelayLevel_; }
    void setlMaxDelayLevel(int32_t v) { lMaxDelayLevel_ = v; }
    int iMaxDelayTime() const { return iMaxDelayTime_; }
    void setiMaxDelayTime(int v) { iMaxDelayTime_ = v; }
    int iDelayUnit() const { return iDelayUnit_; }
    void setiDelayUnit(int v) { iDelayUnit_ = v; }
    bool blSupportDelayControl() const { return blSupportDelayControl_ && blEnabled_; }
    void setblSupportDelayControl(bool v) { blSupportDelayControl_ = v; }
    bool blSupportTrebleControl() const { return blSupportTrebleControl_ && blEnabled_; }
    void setblSupportTrebleControl(bool v) { blSupportTrebleControl_ = v; }
    bool blSupportSubwooferControl() const { return blSupportSubwooferControl_ && blEnabled_; }
    void setblSupportSubwooferControl(bool v) { blSupportSubwooferControl_ = v; }
    bool blSupportVolumnControl() const { return blSupportVolumnControl_ && blEnabled_; }
    void setblSupportVolumnControl(bool v) { blSupportVolumnControl_ = v; }
    bool blSupportBassControl() const { return blSupportBassControl_ && blEnabled_; }
    void setblSupportBassControl(bool v) { blSupportBassControl_ = v; }
    bool blEnabled() const { return blEnabled_; }
    void setblEnabled(bool v) { blEnabled_ = v; }

private:
    bool blEnabled_ = false;
    bool blSupportBassControl_ = false;
    bool blSupportVolumnControl_ = false;
    bool blSupportTrebleControl_ = false;
    bool blSupportSubwooferControl_ = false;
    bool blSupportDelayControl_ = false;
    int iDelayUnit_ = 0;
    int iMaxDelayTime_ = 0;
    int32_t lMaxDelayLevel_ = 0;
};

// Video capabilities. EDID select is reported as stored, even without video.
class VIDEO_INFO {
public:
    bool blSupportEdidTypeSelect() const { return blSupportEdidTypeSelect_; }
    void setblSupportEdidTypeSelect(bool v) { blSupportEdidTypeSelect_ = v; }
    bool blEnabled() const { return blEnabled_; }
    void setblEnabled(bool v) { blEnabled_ = v; }

private:
    bool blEnabled_ = false;
    bool blSupportEdidTypeSelect_ = false;
};

class FIRMWARE_VERSION {
public:
    int iReversion() const { return iReversion_; }
    void setiReversion(int v) { iReversion_ = v; }
    int iMinor() const { return iMinor_; }
    void setiMinor(int v) { iMinor_ = v; }
    int iMajor() const { return iMajor_; }
    void setiMajor(int v) { iMajor_ = v; }
    bool blEnabled() const { return blEnabled_; }
    void setblEnabled(bool v) { blEnabled_ = v; }

    // "major.minor.reversion", each in plain decimal (1.2.10).
    QString text() const {
        return QStringLiteral("%1.%2.%3").arg(iMajor_).arg(iMinor_).arg(iReversion_);
    }

private:
    bool blEnabled_ = false;
    int iMajor_ = 0;
    int iMinor_ = 0;
    int iReversion_ = 0;
};

class PLUG_INFO {
public:
    bool blSupportVideoOutputPlugDetection() const { return videoOutput_; }
    void setblSupportVideoOutputPlugDetection(bool v) { videoOutput_ = v; }
    bool blSupportVideoInputPlugDetection() const { return videoInput_; }
    void setblSupportVideoInputPlugDetection(bool v) { videoInput_ = v; }
    bool blSupportAudioOutputPlugDetection() const { return audioOutput_; }
    void setblSupportAudioOutputPlugDetection(bool v) { audioOutput_ = v; }
    bool blSupportAudioInputPlugDetection() const { return audioInput_; }
    void setblSupportAudioInputPlugDetection(bool v) { audioInput_ = v; }

private:
    bool audioInput_ = false;
    bool audioOutput_ = false;
    bool videoInput_ = false;
    bool videoOutput_ = false;
};

// One unit on the line. Sub-records are shared handles: a reply handler may
// hold one for the length of a reply while a scan replaces the collection.
class QRDSTA {
public:
    int iMaxCommandLB() const { return iMaxCommandLB_; }
    void setiMaxCommandLB(int v) { iMaxCommandLB_ = v; }
    bool blExtendedInfoExist() const { return blExtendedInfoExist_; }
    void setblExtendedInfoExist(bool v) { blExtendedInfoExist_ = v; }
    // The extended block has been read since the last information reply:
    // until then the abilities are not known.
    bool blExtendedRead() const { return blExtendedRead_; }
    void setblExtendedRead(bool v) { blExtendedRead_ = v; }
    std::shared_ptr<PLUG_INFO> objPlugINFO() const { return objPlugINFO_; }
    void setobjPlugINFO(std::shared_ptr<PLUG_INFO> v) { objPlugINFO_ = std::move(v); }
    std::shared_ptr<FIRMWARE_VERSION> objFirmwareVersion() const { return objFirmwareVersion_; }
    void setobjFirmwareVersion(std::shared_ptr<FIRMWARE_VERSION> v) {
        objFirmwareVersion_ = std::move(v);
    }
    std::shared_ptr<VIDEO_INFO> objVideoINFO() const { return objVideoINFO_; }
    void setobjVideoINFO(std::shared_ptr<VIDEO_INFO> v) { objVideoINFO_ = std::move(v); }
    std::shared_ptr<AUDIO_INFO> objAudioINFO() const { return objAudioINFO_; }
    void setobjAudioINFO(std::shared_ptr<AUDIO_INFO> v) { objAudioINFO_ = std::move(v); }
    int iOutputCount() const { return iOutputCount_; }
    void setiOutputCount(int v) { iOutputCount_ = v; }
    int iInputCount() const { return iInputCount_; }
    void setiInputCount(int v) { iInputCount_ = v; }
    const QString& sName() const { return sName_; }
    void setsName(const QString& v) { sName_ = v; }
    int iMemoryCount() const { return iMemoryCount_; }
    void setiMemoryCount(int v) { iMemoryCount_ = v; }
    bool blConnected() const { return blConnected_; }
    void setblConnected(bool v) { blConnected_ = v; }
    uint8_t bID() const { return bID_; }
    void setbID(uint8_t v) { bID_ = v; }

    // Every property but the ID, as an information reply gives them.
    void Refresh(const QString& sName, bool blConnected, int iMemoryCount, int iInputCount,
                 int iOutputCount, int iMaxCommandLB, bool blExtendedInfoExist,
                 std::shared_ptr<AUDIO_INFO> audio, std::shared_ptr<VIDEO_INFO> video,
                 std::shared_ptr<PLUG_INFO> plug, std::shared_ptr<FIRMWARE_VERSION> firmware) {
        sName_ = sName;
        blConnected_ = blConnected;
        iMemoryCount_ = iMemoryCount;
        iInputCount_ = iInputCount;
        iOutputCount_ = iOutputCount;
        iMaxCommandLB_ = iMaxCommandLB;
        blExtendedInfoExist_ = blExtendedInfoExist;
        objAudioINFO_ = std::move(audio);
        objVideoINFO_ = std::move(video);
        objPlugINFO_ = std::move(plug);
        objFirmwareVersion_ = std::move(firmware);
    }

private:
    uint8_t bID_ = 0;
    bool blConnected_ = false;
    int iMemoryCount_ = 0;
    QString sName_;
    int iInputCount_ = 0;
    int iOutputCount_ = 0;
    std::shared_ptr<AUDIO_INFO> objAudioINFO_;
    std::shared_ptr<VIDEO_INFO> objVideoINFO_;
    std::shared_ptr<FIRMWARE_VERSION> objFirmwareVersion_;
    std::shared_ptr<PLUG_INFO> objPlugINFO_;
    bool blExtendedInfoExist_ = false;
    bool blExtendedRead_ = false;
    int iMaxCommandLB_ = 0;
};

using UnitRef = std::shared_ptr<QRDSTA>;

// False for no unit, else whether the unit answers on the line.
inline bool IsUnitConnected(const UnitRef& unit) {
    return unit != nullptr && unit->blConnected();
}

} // namespace quadrel
