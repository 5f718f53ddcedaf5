#include "app/UnitRowTexts.h"

#include "model/ActivityStatus.h"

namespace quadrel {

namespace {

// What the list shows of a value not read yet.
QString NotYet() {
    return QStringLiteral("\u2014");
}

QString EnableText(bool on) {
    return on ? QStringLiteral("Enable") : QStringLiteral("Disable");
}

template <size_t N> int ColumnOf(const std::array<ListColumn, N>& columns, const QString& key) {
    for (size_t i = 0; i < N; ++i) {
        if (key == QLatin1String(columns[i].key)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace

const std::array<ListColumn, kUnitColumns>& UnitColumns() {
    static const std::array<ListColumn, kUnitColumns> columns = {{
        {"ID", "ID", ""},
        {"NAME", "Name", "Device Name"},
        {"AV", "A/V", " Support Audio/Video switch tools request."},
        {"IO", "I/O", "Total Input/Output port."},
        {"MEMORY", "Memory", "Total Memory location."},
        {"Video Input Plug Status", "VI Plug", "Support Video input plug detection."},
        {"Audio Input Plug Status", "AI Plug", "Support Audioinput plug detection."},
        {"Video Output Plug Status", "VO Plug", "Support Video output plug detection."},
        {"Audio Output Plug Status", "AO Plug", "Support Audio output plug detection."},
        {"EDID Type", "EDID Type", "Support EDID type select request."},
        {"Volumn", "Volume", "Support Volumn and Mute control."},
        {"Bass", "Bass", "Support Bass control."},
        {"Treble", "Treble", "Support Treble control."},
        {"Subwoofer", "Subwoofer", "Support Subwoofer control."},
        {"Delay", "Delay", "Support Delay control."},
        {"Delay Unit", "Delay Unit", "Delay time unit in ms."},
        {"Max Delay", "Max Delay", "Maximum delay time in ms."},
        {"Firmware Version", "Version", "Firmware Version"},
    }};
    return columns;
}

int UnitColumnOf(const QString& key) {
    return ColumnOf(UnitColumns(), key);
}

const std::array<ListColumn, kMemoryColumns>& MemoryColumns() {
    static const std::array<ListColumn, kMemoryColumns> columns = {{
        {"Output Port Number", "Port", ""},
        {"VIDEO", "Video", "Connectted Video input port number"},
        {"AUDIO", "Audio", "Connectted Audio input port number"},
        {"Mute Status", "Mute", "Mute status"},
        {"Volumn Level", "Volume", "Volumn level"},
        {"Bass Level", "Bass", "Bass level"},
        {"Treble Level", "Treble", "Treble level"},
        {"Subwoofer Level", "Subwoofer", "Subwoofer level"},
        {"Delay Time", "Delay", "Delay time in ms"},
    }};
    return columns;
}

int MemoryColumnOf(const QString& key) {
    return ColumnOf(MemoryColumns(), key);
}

QString UnitKey(int id) {
    return QStringLiteral("QRD%1").arg(id);
}

QString OutputRowKey(int output) {
    return QStringLiteral("Output%1").arg(output);
}

namespace {

UnitRow RowOf(int id) {
    UnitRow row;
    row.key = UnitKey(id);
    row.text = QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
    row.tag = QString::number(id);
    row.cells[0] = row.text;
    return row;
}

} // namespace

UnitRow LastSeenRowOf(uint8_t id, const QString& name) {
    UnitRow row = RowOf(id);
    row.iconTip = QStringLiteral("Unit %1 was found here by the last scan; it has not answered yet")
                      .arg(row.text);
    row.cells[1] =
        name.isEmpty() ? QStringLiteral("(last seen)") : QStringLiteral("%1 (last seen)").arg(name);
    for (size_t k = 2; k < row.cells.size(); ++k) {
        row.cells[k] = NotYet();
    }
    return row;
}

UnitRow UnitRowOf(const QRDSTA& unit) {
    UnitRow row = RowOf(unit.bID());
    row.iconKey = unit.blConnected() ? QStringLiteral("GreenON") : QStringLiteral("RedON");
    row.iconTip = unit.blConnected() ? AnsweringText(unit.bID()) : NotAnsweringText(unit.bID());

    const auto audio = unit.objAudioINFO();
    const auto video = unit.objVideoINFO();
    const auto plug = unit.objPlugINFO();
    const auto firmware = unit.objFirmwareVersion();
    const bool a = audio && audio->blEnabled();
    const bool v = video && video->blEnabled();
    const bool delay = audio && audio->blSupportDelayControl();

    auto& c = row.cells;
    c[0] = row.text;
    c[1] = unit.sName();
    c[2] = a && v ? QStringLiteral("Both")
           : a    ? QStringLiteral("Audio")
           : v    ? QStringLiteral("Video")
                  : QStringLiteral("None");
    c[3] = QStringLiteral("%1/%2").arg(unit.iInputCount()).arg(unit.iOutputCount());
    c[4] = QString::number(unit.iMemoryCount());
    c[5] = EnableText(plug && plug->blSupportVideoInputPlugDetection());
    c[6] = EnableText(plug && plug->blSupportAudioInputPlugDetection());
    c[7] = EnableText(plug && plug->blSupportVideoOutputPlugDetection());
    c[8] = EnableText(plug && plug->blSupportAudioOutputPlugDetection());
    c[9] = EnableText(video && video->blSupportEdidTypeSelect());
    c[10] = EnableText(audio && audio->blSupportVolumnControl());
    c[11] = EnableText(audio && audio->blSupportBassControl());
    c[12] = EnableText(audio && audio->blSupportTrebleControl());
    c[13] = EnableText(audio && audio->blSupportSubwooferControl());
    c[14] = EnableText(delay);
    c[15] = delay ? QString::number(audio->iDelayUnit()) : QString();
    c[16] = delay ? QString::number(audio->iMaxDelayTime()) : QString();
    const bool told =
        firmware && firmware->iMajor() + firmware->iMinor() + firmware->iReversion() > 0;
    c[17] = firmware && firmware->blEnabled() ? (told ? firmware->text() : NotYet())
                                              : QStringLiteral("Unknow");
    // What only the extended block tells is not known until it is read.
    if (unit.blExtendedInfoExist() && !unit.blExtendedRead()) {
        for (size_t k = 5; k <= 17; ++k) {
            c[k] = NotYet();
        }
    }
    return row;
}

} // namespace quadrel
