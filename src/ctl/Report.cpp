#include "ctl/Report.h"

#include <QJsonDocument>

#include <algorithm>
#include <string_view>

namespace quadrel::ctl::Report {

namespace {

void Put(QJsonObject& o, const char* key, const std::optional<int>& value) {
    if (value) {
        o.insert(QLatin1String(key), *value);
    }
}

// One value as text: a list of words, true/false as on/off for mute.
QString ValueText(const QString& key, const QJsonValue& v) {
    if (v.isBool()) {
        return key == u"mute" ? (v.toBool() ? QStringLiteral("on") : QStringLiteral("off"))
                              : (v.toBool() ? QStringLiteral("yes") : QStringLiteral("no"));
    }
    if (v.isDouble()) {
        return QString::number(v.toInteger());
    }
    if (v.isString()) {
        return v.toString();
    }
    QStringList parts;
    const QJsonObject o = v.toObject();
    for (auto it = o.begin(); it != o.end(); ++it) {
        parts << QStringLiteral("%1=%2").arg(it.key(), ValueText(it.key(), it.value()));
    }
    return parts.join(QLatin1Char(','));
}

// "key value  key value": what names the row first, then as a reader
// looks for it; JSON keeps its own (alphabetical) order.
QString Line(const QJsonObject& o) {
    static const QStringList kOrder = {
        "unit",      "output",   "input",     "name",       "inputs",     "outputs",   "presets",
        "audio",     "video",    "firmware",  "audioInput", "videoInput", "mute",      "volume",
        "bass",      "treble",   "subwoofer", "delay",      "edid",       "audioPlug", "videoPlug",
        "delayStep", "maxDelay", "abilities", "answering",
    };
    QStringList keys = o.keys();
    std::stable_sort(keys.begin(), keys.end(), [](const QString& a, const QString& b) {
        const auto rank = [](const QString& k) {
            const qsizetype at = kOrder.indexOf(k);
            return at < 0 ? kOrder.size() : at;
        };
        return rank(a) < rank(b);
    });
    QStringList parts;
    for (const QString& key : keys) {
        parts << QStringLiteral("%1 %2").arg(key, ValueText(key, o[key]));
    }
    return parts.join(QStringLiteral("  "));
}

// What a unit reports of its sections, as the port rows read it.
struct Sections {
    explicit Sections(const QRDSTA& unit)
        : audio(unit.objAudioINFO()), video(unit.objVideoINFO()), plug(unit.objPlugINFO()),
          hasAudio(audio && audio->blEnabled()), hasVideo(video && video->blEnabled()) {}
    std::shared_ptr<AUDIO_INFO> audio;
    std::shared_ptr<VIDEO_INFO> video;
    std::shared_ptr<PLUG_INFO> plug;
    bool hasAudio;
    bool hasVideo;
};

} // namespace

std::vector<int> AllPorts(int count) {
    std::vector<int> ports;
    for (int p = 1; p <= count && p <= kMaxPort; ++p) {
        ports.push_back(p);
    }
    return ports;
}

QJsonObject Unit(const QRDSTA& unit) {
    QJsonObject o{{"unit", unit.bID()},
                  {"name", unit.sName()},
                  {"inputs", unit.iInputCount()},
                  {"outputs", unit.iOutputCount()},
                  {"presets", unit.iMemoryCount()},
                  {"answering", unit.blConnected()}};
    const auto audio = unit.objAudioINFO();
    const auto video = unit.objVideoINFO();
    o.insert("audio", audio && audio->blEnabled());
    o.insert("video", video && video->blEnabled());
    if (!unit.blExtendedInfoExist()) {
        return o;
    }
    QJsonObject can;
    if (audio && audio->blEnabled()) {
        can.insert("volume", audio->blSupportVolumnControl());
        can.insert("bass", audio->blSupportBassControl());
        can.insert("treble", audio->blSupportTrebleControl());
        can.insert("subwoofer", audio->blSupportSubwooferControl());
        can.insert("delay", audio->blSupportDelayControl());
        if (audio->blSupportDelayControl()) {
            o.insert("delayStep", audio->iDelayUnit());
            o.insert("maxDelay", audio->iMaxDelayTime());
        }
    }
    if (video && video->blEnabled()) {
        can.insert("edid", video->blSupportEdidTypeSelect());
    }
    o.insert("abilities", can);
    const auto firmware = unit.objFirmwareVersion();
    if (firmware && firmware->blEnabled() &&
        firmware->iMajor() + firmware->iMinor() + firmware->iReversion() > 0) {
        o.insert("firmware", firmware->text());
    }
    return o;
}

QJsonArray Outputs(const basQRD& model, const QRDSTA& unit, const std::vector<int>& outputs) {
    const Sections sections(unit);
    const auto& [audio, video, plug, hasAudio, hasVideo] = sections;
    QJsonArray rows;
    for (int o : outputs) {
        const AUDIO_OUTPUT_STATUS& a = model.AudioOutputs[o];
        QJsonObject row{{"output", o}};
        if (hasAudio) {
            row.insert("audioInput", a.iInputPort);
        }
        if (hasVideo) {
            row.insert("videoInput", model.VideoOutputs[o].iInputPort);
        }
        if (audio && audio->blSupportVolumnControl()) {
            row.insert("mute", a.lMuteStatus != 0);
            row.insert("volume", a.iVolumnLevel);
        }
        if (audio && audio->blSupportBassControl()) {
            row.insert("bass", a.iBassLevel);
        }
        if (audio && audio->blSupportTrebleControl()) {
            row.insert("treble", a.iTrebleLevel);
        }
        if (audio && audio->blSupportSubwooferControl()) {
            row.insert("subwoofer", a.iSubwooferLevel);
        }
        if (audio && audio->blSupportDelayControl()) {
            row.insert("delay", static_cast<int>(a.lDelayTime));
        }
        if (hasAudio && plug && plug->blSupportAudioOutputPlugDetection()) {
            row.insert("audioPlug", a.lPlugStatus != 0);
        }
        if (hasVideo && plug && plug->blSupportVideoOutputPlugDetection()) {
            row.insert("videoPlug", model.VideoOutputs[o].lPlugStatus != 0);
        }
        rows.append(row);
    }
    return rows;
}

QJsonArray Inputs(const basQRD& model, const QRDSTA& unit, const std::vector<int>& inputs) {
    const Sections sections(unit);
    const auto& [audio, video, plug, hasAudio, hasVideo] = sections;
    QJsonArray rows;
    for (int i : inputs) {
        QJsonObject row{{"input", i}};
        if (hasVideo && video->blSupportEdidTypeSelect()) {
            row.insert("edid", static_cast<int>(model.VideoInputs[i].lEdidType));
        }
        if (hasVideo && plug && plug->blSupportVideoInputPlugDetection()) {
            row.insert("videoPlug", model.VideoInputs[i].lPlugStatus != 0);
        }
        if (hasAudio && plug && plug->blSupportAudioInputPlugDetection()) {
            row.insert("audioPlug", model.AudioInputPlugs[i] != 0);
        }
        rows.append(row);
    }
    return rows;
}

QJsonArray Preset(const std::map<int, PresetRow>& rows) {
    QJsonArray out;
    for (const auto& [output, r] : rows) {
        QJsonObject row{{"output", output}};
        Put(row, "audioInput", r.audioInput);
        Put(row, "videoInput", r.videoInput);
        if (r.mute) {
            row.insert("mute", *r.mute != 0);
        }
        Put(row, "volume", r.volume);
        Put(row, "bass", r.bass);
        Put(row, "treble", r.treble);
        Put(row, "subwoofer", r.subwoofer);
        Put(row, "delay", r.delay);
        out.append(row);
    }
    return out;
}

QString Text(const QJsonObject& result) {
    QStringList lines;
    const QJsonArray units = result["units"].toArray();
    for (const QJsonValue& u : units) {
        lines << Line(u.toObject());
    }
    if (result.contains("unit") && result["unit"].isObject()) {
        lines << Line(result["unit"].toObject());
    }
    for (const char* key : {"outputs", "inputs"}) {
        for (const QJsonValue& row : result[QLatin1String(key)].toArray()) {
            lines << QStringLiteral("  ") + Line(row.toObject());
        }
    }
    if (result.contains("file")) {
        lines << QStringLiteral("file %1").arg(result["file"].toString());
    }
    if (result.contains("planned")) {
        lines << QStringLiteral("sent %1 of %2 changes")
                     .arg(result["sent"].toInt())
                     .arg(result["planned"].toInt());
    }
    if (result.contains("report")) {
        lines << result["report"].toString();
    }
    const std::pair<const char*, const char*> lists[] = {
        {"changes", "changed"}, {"notTaken", "not taken"}, {"unknown", "unknown"}};
    for (const auto& [key, words] : lists) {
        for (const QJsonValue& change : result[QLatin1String(key)].toArray()) {
            lines << QStringLiteral("  %1 %2").arg(QLatin1String(words), change.toString());
        }
    }
    // Scenes: their lines as they are.
    for (const QJsonValue& line : result["lines"].toArray()) {
        lines << line.toString();
    }
    for (const QJsonValue& p : result["presets"].toArray()) {
        const QJsonObject preset = p.toObject();
        lines << QStringLiteral("preset %1").arg(preset["location"].toInt());
        for (const QJsonValue& row : preset["outputs"].toArray()) {
            lines << QStringLiteral("  ") + Line(row.toObject());
        }
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace quadrel::ctl::Report
