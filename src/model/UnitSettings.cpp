#include "model/UnitSettings.h"

#include "model/SettingRange.h"

#include "model/basQRD.h"

#include <QCoreApplication>

#include <set>

namespace quadrel {

namespace {

// The fields of an output in file order, with the ability each needs.
struct FieldOf {
    Field field;
    std::optional<int> OutputValues::*value;
};
constexpr FieldOf kOutputFields[] = {
    {Setting::AudioRoute, &OutputValues::audioInput},
    {Setting::VideoRoute, &OutputValues::videoInput},
    {Setting::Mute, &OutputValues::mute},
    {Setting::Volumn, &OutputValues::volume},
    {Setting::Bass, &OutputValues::bass},
    {Setting::Treble, &OutputValues::treble},
    {Setting::Subwoofer, &OutputValues::subwoofer},
    {Setting::Delay, &OutputValues::delay},
};

bool Has(const UnitIdentity& u, Field f) {
    switch (f) {
    case Setting::AudioRoute:
        return u.audio;
    case Setting::VideoRoute:
        return u.video;
    case Setting::Mute:
    case Setting::Volumn:
        return u.volume;
    case Setting::Bass:
        return u.bass;
    case Setting::Treble:
        return u.treble;
    case Setting::Subwoofer:
        return u.subwoofer;
    case Setting::Delay:
        return u.delay;
    case Setting::Edid:
        return u.video && u.edid;
    }
    return false;
}

// Only the fields of the unit's abilities.
OutputValues Limited(const OutputValues& v, const UnitIdentity& u) {
    OutputValues out;
    for (const FieldOf& f : kOutputFields) {
        if (Has(u, f.field)) {
            out.*f.value = v.*f.value;
        }
    }
    return out;
}

} // namespace

UnitIdentity UnitIdentity::Of(const QRDSTA& unit) {
    UnitIdentity u;
    u.id = unit.bID();
    u.name = unit.sName();
    u.inputs = unit.iInputCount();
    u.outputs = unit.iOutputCount();
    u.memories = unit.iMemoryCount();
    const auto audio = unit.objAudioINFO();
    const auto video = unit.objVideoINFO();
    const auto firmware = unit.objFirmwareVersion();
    u.audio = audio && audio->blEnabled();
    u.video = video && video->blEnabled();
    if (audio) {
        u.volume = audio->blSupportVolumnControl();
        u.bass = audio->blSupportBassControl();
        u.treble = audio->blSupportTrebleControl();
        u.subwoofer = audio->blSupportSubwooferControl();
        u.delay = audio->blSupportDelayControl();
        if (u.delay) {
            u.delayStep = audio->iDelayUnit();
            u.maxDelay = audio->iMaxDelayTime();
        }
    }
    u.edid = u.video && video->blSupportEdidTypeSelect();
    if (firmware && firmware->blEnabled()) {
        u.firmware = firmware->text();
    }
    return u;
}

UnitValues LiveValues(const basQRD& model, const UnitIdentity& unit) {
    UnitValues out;
    for (int o = 1; o <= unit.outputs; ++o) {
        const AUDIO_OUTPUT_STATUS& a = model.AudioOutputs[o];
        OutputValues v;
        v.audioInput = a.iInputPort;
        v.videoInput = model.VideoOutputs[o].iInputPort;
        v.mute = a.lMuteStatus;
        v.volume = a.iVolumnLevel;
        v.bass = a.iBassLevel;
        v.treble = a.iTrebleLevel;
        v.subwoofer = a.iSubwooferLevel;
        v.delay = a.lDelayTime;
        out.outputs[o] = Limited(v, unit);
    }
    for (int i = 1; unit.video && unit.edid && i <= unit.inputs; ++i) {
        out.edid[i] = model.VideoInputs[i].lEdidType;
    }
    return out;
}

UnitValues PresetValues(const PresetStore& store, int location, const UnitIdentity& unit) {
    UnitValues out;
    const UnitValues* read = store.Location(location);
    for (int o = 1; read != nullptr && o <= unit.outputs; ++o) {
        const auto it = read->outputs.find(o);
        out.outputs[o] = Limited(it == read->outputs.end() ? OutputValues{} : it->second, unit);
    }
    return out;
}

QStringList SizeMismatch(const UnitIdentity& file, const UnitIdentity& unit, bool presets) {
    QStringList out;
    if (file.inputs != unit.inputs || file.outputs != unit.outputs) {
        out << QCoreApplication::translate(
                   "UnitSettings",
                   "the file is for %1 inputs and %2 outputs, this unit has %3 and %4")
                   .arg(file.inputs)
                   .arg(file.outputs)
                   .arg(unit.inputs)
                   .arg(unit.outputs);
    }
    const std::pair<const char*, bool UnitIdentity::*> sections[] = {
        {QT_TRANSLATE_NOOP("UnitSettings", "audio switching"), &UnitIdentity::audio},
        {QT_TRANSLATE_NOOP("UnitSettings", "video switching"), &UnitIdentity::video},
        {QT_TRANSLATE_NOOP("UnitSettings", "volume and mute"), &UnitIdentity::volume},
        {QT_TRANSLATE_NOOP("UnitSettings", "bass"), &UnitIdentity::bass},
        {QT_TRANSLATE_NOOP("UnitSettings", "treble"), &UnitIdentity::treble},
        {QT_TRANSLATE_NOOP("UnitSettings", "subwoofer"), &UnitIdentity::subwoofer},
        {QT_TRANSLATE_NOOP("UnitSettings", "delay"), &UnitIdentity::delay},
        {QT_TRANSLATE_NOOP("UnitSettings", "EDID select"), &UnitIdentity::edid},
    };
    for (const auto& [name, flag] : sections) {
        if (file.*flag != unit.*flag) {
            //: %1: a section of controls, as "bass"
            out << (file.*flag ? QCoreApplication::translate(
                                     "UnitSettings", "%1: the file has it, this unit has none")
                               : QCoreApplication::translate(
                                     "UnitSettings", "%1: the file has none, this unit has it"))
                       .arg(QCoreApplication::translate("UnitSettings", name));
        }
    }
    if (file.delay && unit.delay &&
        (file.delayStep != unit.delayStep || file.maxDelay != unit.maxDelay)) {
        out << QCoreApplication::translate("UnitSettings",
                                           "delay: the file in %1 ms steps up to %2 ms, this unit "
                                           "in %3 ms steps up to %4 ms")
                   .arg(file.delayStep)
                   .arg(file.maxDelay)
                   .arg(unit.delayStep)
                   .arg(unit.maxDelay);
    }
    if (presets && file.memories != unit.memories) {
        out << QCoreApplication::translate("UnitSettings",
                                           "presets: the file has %1 locations, this unit %2")
                   .arg(file.memories)
                   .arg(unit.memories);
    }
    return out;
}

QStringList IdentityNotes(const UnitIdentity& file, const UnitIdentity& unit) {
    QStringList out;
    if (file.id != unit.id) {
        out << QCoreApplication::translate("UnitSettings",
                                           "saved from unit %1, restoring to unit %2")
                   .arg(file.id)
                   .arg(unit.id);
    }
    if (file.name != unit.name) {
        out << QCoreApplication::translate("UnitSettings", "saved from \"%1\", this unit is \"%2\"")
                   .arg(file.name, unit.name);
    }
    if (file.firmware != unit.firmware) {
        const auto text = [](const QString& f) {
            //: a firmware version not known
            return f.isEmpty() ? QCoreApplication::translate("UnitSettings", "unknown") : f;
        };
        out << QCoreApplication::translate("UnitSettings",
                                           "firmware %1 in the file, %2 in this unit")
                   .arg(text(file.firmware), text(unit.firmware));
    }
    return out;
}

std::vector<IdentityDifference> IdentityDifferences(const UnitIdentity& file,
                                                    const UnitIdentity& unit) {
    const auto text = [](const QString& f) {
        //: a firmware version not known
        return f.isEmpty() ? QCoreApplication::translate("UnitSettings", "unknown") : f;
    };
    std::vector<IdentityDifference> out;
    if (file.id != unit.id) {
        out.push_back({QCoreApplication::translate("UnitSettings", "ID"), QString::number(unit.id),
                       QString::number(file.id)});
    }
    if (file.name != unit.name) {
        out.push_back(
            {QCoreApplication::translate("UnitSettings", "reported name"), unit.name, file.name});
    }
    if (file.firmware != unit.firmware) {
        out.push_back({QCoreApplication::translate("UnitSettings", "firmware"), text(unit.firmware),
                       text(file.firmware)});
    }
    return out;
}

std::vector<NameDifference> NameDifferences(const UnitNames& now, const UnitNames& file) {
    std::vector<NameDifference> out;
    const auto add = [&](NamedPort port) {
        const QString a = NameOf(now, port), b = NameOf(file, port);
        if (a != b) {
            out.push_back({port, a, b});
        }
    };
    add({NameKind::Unit, 0});
    const std::pair<NameKind, const std::map<int, QString> UnitNames::*> kinds[] = {
        {NameKind::Input, &UnitNames::inputs},
        {NameKind::Output, &UnitNames::outputs},
        {NameKind::Preset, &UnitNames::presets}};
    for (const auto& [kind, map] : kinds) {
        std::set<int> ports;
        for (const auto* names : {&now, &file}) {
            for (const auto& entry : names->*map) {
                ports.insert(entry.first);
            }
        }
        for (const int n : ports) {
            add({kind, n});
        }
    }
    return out;
}

std::vector<Difference> Differences(const UnitValues& unit, const UnitValues& file, int location) {
    std::vector<Difference> out;
    for (const auto& [port, wanted] : file.outputs) {
        const auto it = unit.outputs.find(port);
        const OutputValues now = it == unit.outputs.end() ? OutputValues{} : it->second;
        for (const FieldOf& f : kOutputFields) {
            if (wanted.*f.value && now.*f.value != wanted.*f.value) {
                out.push_back({location, f.field, port, now.*f.value, *(wanted.*f.value)});
            }
        }
    }
    for (const auto& [port, wanted] : file.edid) {
        const auto it = unit.edid.find(port);
        const std::optional<int> now =
            it == unit.edid.end() ? std::nullopt : std::optional<int>(it->second);
        if (now != wanted) {
            out.push_back({location, Setting::Edid, port, now, wanted});
        }
    }
    return out;
}

void Apply(const Difference& d, UnitValues& values) {
    if (d.field == Setting::Edid) {
        values.edid[d.port] = d.file;
        return;
    }
    for (const FieldOf& f : kOutputFields) {
        if (f.field == d.field) {
            values.outputs[d.port].*f.value = d.file;
        }
    }
}

QString Where(const Difference& d) {
    const bool input = d.field == Setting::Edid;
    if (d.location == 0) {
        return (input ? QCoreApplication::translate("UnitSettings", "Input %1")
                      : QCoreApplication::translate("UnitSettings", "Output %1"))
            .arg(d.port);
    }
    //: %1: a memory location of the unit; %2: a port
    return (input ? QCoreApplication::translate("UnitSettings", "Preset %1, input %2")
                  : QCoreApplication::translate("UnitSettings", "Preset %1, output %2"))
        .arg(d.location)
        .arg(d.port);
}

QString FieldName(Field field) {
    return field == Setting::Delay ? QCoreApplication::translate("UnitSettings", "delay (ms)")
                                   : SettingRange::Words(field);
}

QString ValueText(Field field, std::optional<int> value) {
    if (!value) {
        //: a value the unit has not reported
        return QCoreApplication::translate("UnitSettings", "unknown");
    }
    switch (field) {
    case Setting::AudioRoute:
    case Setting::VideoRoute:
        //: no input routed to the output
        return *value == 0 ? QCoreApplication::translate("UnitSettings", "none")
                           : QString::number(*value);
    case Setting::Mute:
        if (*value != 0) {
            //: muted
            return QCoreApplication::translate("UnitSettings", "on");
        }
        //: not muted
        return QCoreApplication::translate("UnitSettings", "off");
    case Setting::Edid:
        if (*value != 0) {
            //: the EDID an input presents: that of output 1's display
            return QCoreApplication::translate("UnitSettings", "output 1's");
        }
        //: the EDID an input presents: the unit's own
        return QCoreApplication::translate("UnitSettings", "fixed");
    default:
        return QString::number(*value);
    }
}

QString Describe(const Difference& d) {
    //: %1: where, as "Output 3"; %2: the setting; %3: the unit's value; %4: the file's
    return QCoreApplication::translate("UnitSettings", "%1 %2: %3 → %4")
        .arg(Where(d), FieldName(d.field), ValueText(d.field, d.unit), ValueText(d.field, d.file));
}

} // namespace quadrel
