#include "remote/Door.h"

#include "ctl/ExitStatus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <set>

namespace quadrel::remote {

namespace {

using K = ctl::CtlCommand::Kind;
constexpr int kUsage = 2;
// Past any port count or level a unit has; the unit's own limits come later.
constexpr double kLargest = 1e6;

Asked Refused(int http, const QString& error, int status = kUsage) {
    return {nullptr, status, http, error};
}

QString L(const char* text) {
    return QString::fromLatin1(text);
}

bool Whole(const QJsonValue& v, int& out) {
    if (!v.isDouble() || v.toDouble() != static_cast<double>(static_cast<qint64>(v.toDouble())) ||
        v.toDouble() < -kLargest || v.toDouble() > kLargest) {
        return false;
    }
    out = static_cast<int>(v.toDouble());
    return true;
}

// "outputs": [1, 2] or "output": 1, as quadrel-ctl's list "1,2".
bool Ports(const QJsonObject& o, const char* many, const char* one, QString& list, QString& error) {
    const QJsonValue all = o.value(L(many));
    const QJsonValue single = o.value(L(one));
    if (all.isUndefined() == single.isUndefined()) {
        error = QStringLiteral("give \"%1\" or \"%2\"").arg(L(many), L(one));
        return false;
    }
    const QJsonArray ports = single.isUndefined() ? all.toArray() : QJsonArray{single};
    if ((!all.isUndefined() && !all.isArray()) || ports.isEmpty() || ports.size() > 255) {
        error = QStringLiteral("\"%1\" is a list of 1 to 255 port numbers").arg(L(many));
        return false;
    }
    QStringList numbers;
    for (const QJsonValue& p : ports) {
        int n = 0;
        if (!Whole(p, n)) {
            error = QStringLiteral("a port is a whole number");
            return false;
        }
        numbers << QString::number(n);
    }
    list = numbers.join(QLatin1Char(','));
    return true;
}

// The body as an object with only the keys given.
bool Body(const QByteArray& body, const std::set<QString>& keys, QJsonObject& o, QString& error) {
    if (body.trimmed().isEmpty()) {
        o = {};
        return true;
    }
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(body, &parse);
    if (parse.error != QJsonParseError::NoError || !doc.isObject()) {
        error = QStringLiteral("the body is not a JSON object");
        return false;
    }
    o = doc.object();
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (keys.count(it.key()) == 0) {
            error = QStringLiteral("\"%1\" is not known here").arg(it.key().left(64));
            return false;
        }
    }
    return true;
}

bool Kind(const QJsonObject& o, QStringList& args, QString& error) {
    const QJsonValue kind = o.value(L("kind"));
    if (kind.isUndefined()) {
        return true;
    }
    if (kind == QJsonValue(L("audio")) || kind == QJsonValue(L("video"))) {
        args << QStringLiteral("--") + kind.toString();
        return true;
    }
    error = QStringLiteral("\"kind\" is \"audio\" or \"video\"");
    return false;
}

Asked Parsed(const QStringList& args) {
    auto command = std::make_shared<ctl::CtlCommand>();
    QString error;
    if (!ctl::CtlCommand::Parse(args, *command, error)) {
        return Refused(400, error);
    }
    return {command, 0, 200, {}};
}

// The values of POST .../outputs, each as quadrel-ctl's option.
bool OutputValues(const QJsonObject& o, QStringList& args, QString& error) {
    for (const char* key : {"volume", "bass", "treble", "subwoofer", "delay"}) {
        const QJsonValue v = o.value(L(key));
        int n = 0;
        if (v.isUndefined()) {
            continue;
        }
        if (!Whole(v, n)) {
            error = QStringLiteral("\"%1\" is a whole number").arg(L(key));
            return false;
        }
        args << QStringLiteral("--") + L(key) << QString::number(n);
    }
    const QJsonValue mute = o.value(L("mute"));
    if (!mute.isUndefined()) {
        if (!mute.isBool()) {
            error = QStringLiteral("\"mute\" is true or false");
            return false;
        }
        args << QStringLiteral("--mute") << (mute.toBool() ? L("on") : L("off"));
    }
    return true;
}

} // namespace

namespace Door {

int HttpStatus(int exitStatus) {
    switch (static_cast<ctl::ExitStatus>(exitStatus)) {
    case ctl::ExitStatus::Done:
        return 200;
    case ctl::ExitStatus::NotTaken:
    case ctl::ExitStatus::Partial:
        return 409;
    case ctl::ExitStatus::Usage:
        return 400;
    case ctl::ExitStatus::NoSuchPort:
    case ctl::ExitStatus::PortHeld:
    case ctl::ExitStatus::PortFailed:
        return 503;
    case ctl::ExitStatus::NotAnswering:
        return 504;
    case ctl::ExitStatus::OutOfRange:
    case ctl::ExitStatus::BadFile:
        return 422;
    case ctl::ExitStatus::NoSuchScene:
        return 404;
    }
    return 500;
}

Asked FromHttp(const QStringList& s, const QByteArray& body) {
    QString error;
    QJsonObject o;
    // scenes/NAME/recall
    if (s.size() == 3 && s[0] == u"scenes" && s[2] == u"recall") {
        if (!Body(body, {}, o, error)) {
            return Refused(400, error);
        }
        return Parsed({L("scene"), L("recall"), s[1]});
    }
    if (s.size() < 3 || s[0] != u"units") {
        return Refused(404, QStringLiteral("no such resource"));
    }
    const QString& id = s[1];
    const QString& what = s[2];
    QStringList args;
    if (s.size() == 5 && what == u"presets" && (s[4] == u"load" || s[4] == u"save")) {
        if (!Body(body, {}, o, error)) {
            return Refused(400, error);
        }
        return Parsed({L("preset"), s[4], id, s[3]});
    }
    if (s.size() != 3) {
        return Refused(404, QStringLiteral("no such resource"));
    }
    QString ports;
    if (what == u"route" || what == u"disconnect") {
        const bool route = what == u"route";
        if (!Body(body,
                  route ? std::set<QString>{L("input"), L("outputs"), L("output"), L("kind")}
                        : std::set<QString>{L("outputs"), L("output"), L("kind")},
                  o, error) ||
            !Ports(o, "outputs", "output", ports, error)) {
            return Refused(400, error);
        }
        args << what << id << QStringLiteral("--outputs") << ports;
        if (route) {
            int input = 0;
            if (!Whole(o.value(L("input")), input)) {
                return Refused(400, QStringLiteral("\"input\" is a whole number"));
            }
            args << QStringLiteral("--input") << QString::number(input);
        }
        if (!Kind(o, args, error)) {
            return Refused(400, error);
        }
        return Parsed(args);
    }
    if (what == u"outputs") {
        if (!Body(body,
                  {L("outputs"), L("output"), L("mute"), L("volume"), L("bass"), L("treble"),
                   L("subwoofer"), L("delay")},
                  o, error) ||
            !Ports(o, "outputs", "output", ports, error)) {
            return Refused(400, error);
        }
        args << L("set") << id << QStringLiteral("--outputs") << ports;
        if (!OutputValues(o, args, error)) {
            return Refused(400, error);
        }
        return Parsed(args);
    }
    if (what == u"inputs") {
        int edid = 0;
        if (!Body(body, {L("inputs"), L("input"), L("edid")}, o, error) ||
            !Ports(o, "inputs", "input", ports, error)) {
            return Refused(400, error);
        }
        if (!Whole(o.value(L("edid")), edid)) {
            return Refused(400, QStringLiteral("\"edid\" is a whole number"));
        }
        return Parsed({L("set"), id, L("--inputs"), ports, L("--edid"), QString::number(edid)});
    }
    return Refused(404, QStringLiteral("no such resource"));
}

bool SplitWords(const QByteArray& line, QStringList& words) {
    words.clear();
    QByteArray word;
    bool inWord = false;
    bool quoted = false;
    for (char c : line) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7f) {
            return false;
        }
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord) {
                words << QString::fromUtf8(word);
            }
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) {
        return false;
    }
    if (inWord) {
        words << QString::fromUtf8(word);
    }
    return true;
}

Asked FromLine(const QByteArray& line) {
    QStringList words;
    if (!SplitWords(line, words)) {
        return Refused(400, QStringLiteral("a quote is not closed, or the line holds control "
                                           "characters"));
    }
    if (words.isEmpty()) {
        return Refused(400, QStringLiteral("an empty line"));
    }
    return Parsed(words);
}

Asked Admit(Role role, const StaffRules& staff, std::shared_ptr<ctl::CtlCommand> command) {
    const ctl::CtlCommand& c = *command;
    switch (c.kind) {
    case K::Help:
    case K::Version:
        return Refused(400, QStringLiteral("help and version are answered by quadrel-ctl"));
    case K::Save:
    case K::Restore:
        return Refused(403, QStringLiteral("files on the owner's machine are not named over the "
                                           "network"));
    default:
        break;
    }
    if (c.port || c.baud || c.trace) {
        return Refused(400, QStringLiteral("the port, its rate and the trace are the owner's"));
    }
    std::vector<RoleRequest> asks;
    switch (c.kind) {
    case K::Route:
    case K::Disconnect:
        asks.push_back({Action::Route, c.id, c.outputs, {}});
        break;
    case K::Set:
        if (c.edid) {
            asks.push_back({Action::Edid, c.id, c.inputs, {}});
        }
        for (const auto& [value, action] : {std::pair{c.volume.has_value(), Action::Volume},
                                            {c.bass.has_value(), Action::Bass},
                                            {c.treble.has_value(), Action::Treble},
                                            {c.subwoofer.has_value(), Action::Subwoofer},
                                            {c.delay.has_value(), Action::Delay},
                                            {c.mute.has_value(), Action::Mute}}) {
            if (value) {
                asks.push_back({action, c.id, c.outputs, {}});
            }
        }
        break;
    case K::PresetSave:
        asks.push_back({Action::PresetSave, c.id, {}, {}});
        break;
    case K::PresetLoad:
        asks.push_back({Action::PresetLoad, c.id, {}, {}});
        break;
    case K::SceneRecall:
        asks.push_back({Action::RecallScene, -1, {}, c.scene});
        break;
    case K::Scan:
        // A scan takes the line for seconds: the technician's to start.
        asks.push_back({Action::Options, -1, {}, {}});
        break;
    default:
        break; // show and the scenes' list: reads
    }
    for (const RoleRequest& ask : asks) {
        const Verdict verdict = staff.Decide(role, ask);
        if (!verdict) {
            return Refused(403, verdict.reason);
        }
    }
    return {std::move(command), 0, 200, {}};
}

} // namespace Door

} // namespace quadrel::remote
