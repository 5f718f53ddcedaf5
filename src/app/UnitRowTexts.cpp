#include "app/UnitRowTexts.h"

#include "model/ActivityStatus.h"

#include <QCoreApplication>

namespace quadrel {

namespace {

// What the list shows of a value not read yet.
QString NotYet() {
    return QStringLiteral("\u2014");
}

QString EnableText(bool on) {
    //: A unit supports the feature of this column, or not.
    return on ? QCoreApplication::translate("UnitList", "Enable")
              : QCoreApplication::translate("UnitList", "Disable");
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
        {"ID", QT_TRANSLATE_NOOP("ListColumn", "ID"), ""},
        {"NAME", QT_TRANSLATE_NOOP("ListColumn", "Name"),
         QT_TRANSLATE_NOOP("ListColumn", "Device Name")},
        {"AV", QT_TRANSLATE_NOOP("ListColumn", "A/V"),
         QT_TRANSLATE_NOOP("ListColumn", "Support Audio/Video switch tools request.")},
        {"IO", QT_TRANSLATE_NOOP("ListColumn", "I/O"),
         QT_TRANSLATE_NOOP("ListColumn", "Total Input/Output port.")},
        {"MEMORY", QT_TRANSLATE_NOOP("ListColumn", "Memory"),
         QT_TRANSLATE_NOOP("ListColumn", "Total Memory location.")},
        {"Video Input Plug Status", QT_TRANSLATE_NOOP("ListColumn", "VI Plug"),
         QT_TRANSLATE_NOOP("ListColumn", "Support Video input plug detection.")},
        {"Audio Input Plug Status", QT_TRANSLATE_NOOP("ListColumn", "AI Plug"),
         QT_TRANSLATE_NOOP("ListColumn", "Support Audio input plug detection.")},
        {"Video Output Plug Status", QT_TRANSLATE_NOOP("ListColumn", "VO Plug"),
         QT_TRANSLATE_NOOP("ListColumn", "Support Video output plug detection.")},
        {"Audio Output Plug Status", QT_TRANSLATE_NOOP("ListColumn", "AO Plug"),
         QT_TRANSLATE_NOOP("ListColumn", "Support Audio output plug detection.")},
        {"EDID Type", QT_TRANSLATE_NOOP("ListColumn", "EDID Type"),
         QT_TRANSLATE_NOOP("ListColumn", "Support EDID type select request.")},
        {"Volumn", QT_TRANSLATE_NOOP("ListColumn", "Volume"),
         QT_TRANSLATE_NOOP("ListColumn", "Support Volume and Mute control.")},
        {"Bass", QT_TRANSLATE_NOOP("ListColumn", "Bass"),
         QT_TRANSLATE_NOOP("ListColumn", "Support Bass control.")},
        {"Treble", QT_TRANSLATE_NOOP("ListColumn", "Treble"),
         QT_TRANSLATE_NOOP("ListColumn", "Support Treble control.")},
        {"Subwoofer", QT_TRANSLATE_NOOP("ListColumn", "Subwoofer"),
         QT_TRANSLATE_NOOP("ListColumn", "Support Subwoofer control.")},
        {"Delay", QT_TRANSLATE_NOOP("ListColumn", "Delay"),
         QT_TRANSLATE_NOOP("ListColumn", "Support Delay control.")},
        {"Delay Unit", QT_TRANSLATE_NOOP("ListColumn", "Delay Unit"),
         QT_TRANSLATE_NOOP("ListColumn", "Delay time unit in ms.")},
        {"Max Delay", QT_TRANSLATE_NOOP("ListColumn", "Max Delay"),
         QT_TRANSLATE_NOOP("ListColumn", "Maximum delay time in ms.")},
        {"Firmware Version", QT_TRANSLATE_NOOP("ListColumn", "Version"),
         QT_TRANSLATE_NOOP("ListColumn", "Firmware Version")},
    }};
    return columns;
}

QString HeaderText(const ListColumn& column) {
    return QCoreApplication::translate("ListColumn", column.header);
}

QString ToolTipText(const ListColumn& column) {
    return *column.toolTip == '\0' ? QString()
                                   : QCoreApplication::translate("ListColumn", column.toolTip);
}

int UnitColumnOf(const QString& key) {
    return ColumnOf(UnitColumns(), key);
}

const std::array<ListColumn, kMemoryColumns>& MemoryColumns() {
    static const std::array<ListColumn, kMemoryColumns> columns = {{
        {"Output Port Number", QT_TRANSLATE_NOOP("ListColumn", "Port"), ""},
        {"VIDEO", QT_TRANSLATE_NOOP("ListColumn", "Video"),
         QT_TRANSLATE_NOOP("ListColumn", "Connected Video input port number")},
        {"AUDIO", QT_TRANSLATE_NOOP("ListColumn", "Audio"),
         QT_TRANSLATE_NOOP("ListColumn", "Connected Audio input port number")},
        {"Mute Status", QT_TRANSLATE_NOOP("ListColumn", "Mute"),
         QT_TRANSLATE_NOOP("ListColumn", "Mute status")},
        {"Volumn Level", QT_TRANSLATE_NOOP("ListColumn", "Volume"),
         QT_TRANSLATE_NOOP("ListColumn", "Volume level")},
        {"Bass Level", QT_TRANSLATE_NOOP("ListColumn", "Bass"),
         QT_TRANSLATE_NOOP("ListColumn", "Bass level")},
        {"Treble Level", QT_TRANSLATE_NOOP("ListColumn", "Treble"),
         QT_TRANSLATE_NOOP("ListColumn", "Treble level")},
        {"Subwoofer Level", QT_TRANSLATE_NOOP("ListColumn", "Subwoofer"),
         QT_TRANSLATE_NOOP("ListColumn", "Subwoofer level")},
        {"Delay Time", QT_TRANSLATE_NOOP("ListColumn", "Delay"),
         QT_TRANSLATE_NOOP("ListColumn", "Delay time in ms")},
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
    row.iconTip =
        QCoreApplication::translate(
            "UnitList", "Unit %1 was found here by the last scan; it has not answered yet")
            .arg(row.text);
    row.cells[1] = name.isEmpty()
                       ? QCoreApplication::translate("UnitList", "(last seen)")
                       : QCoreApplication::translate("UnitList", "%1 (last seen)").arg(name);
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
    c[2] = a && v ? QCoreApplication::translate("UnitList", "Both")
           : a    ? QCoreApplication::translate("UnitList", "Audio")
           : v    ? QCoreApplication::translate("UnitList", "Video")
                  : QCoreApplication::translate("UnitList", "None");
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
                                              : QCoreApplication::translate("UnitList", "Unknown");
    // What only the extended block tells is not known until it is read.
    if (unit.blExtendedInfoExist() && !unit.blExtendedRead()) {
        for (size_t k = 5; k <= 17; ++k) {
            c[k] = NotYet();
        }
    }
    return row;
}

} // namespace quadrel
