#include "ctl/CtlCommand.h"

#include <QMap>

#include <algorithm>
#include <limits>

namespace quadrel::ctl {

namespace {

constexpr int kMaxPortNumber = 255;

std::optional<int> ParseInt(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

const QStringList kWithValue = {
    QStringLiteral("--port"),      QStringLiteral("--baud"),    QStringLiteral("--ids"),
    QStringLiteral("--input"),     QStringLiteral("--outputs"), QStringLiteral("--inputs"),
    QStringLiteral("--volume"),    QStringLiteral("--bass"),    QStringLiteral("--treble"),
    QStringLiteral("--subwoofer"), QStringLiteral("--mute"),    QStringLiteral("--delay"),
    QStringLiteral("--edid"),
};
const QStringList kFlags = {
    QStringLiteral("--json"),  QStringLiteral("--trace"),   QStringLiteral("--presets"),
    QStringLiteral("--audio"), QStringLiteral("--video"),   QStringLiteral("--help"),
    QStringLiteral("-h"),      QStringLiteral("--version"), QStringLiteral("--names"),
};

// Which options each command takes, beyond --port, --baud, --json and --trace.
const QMap<CtlCommand::Kind, QStringList>& Allowed() {
    using K = CtlCommand::Kind;
    static const QMap<K, QStringList> allowed = {
        {K::Scan, {"--ids"}},
        {K::Show, {"--presets"}},
        {K::Route, {"--input", "--outputs", "--audio", "--video"}},
        {K::Disconnect, {"--outputs", "--audio", "--video"}},
        {K::Set,
         {"--outputs", "--inputs", "--volume", "--bass", "--treble", "--subwoofer", "--mute",
          "--delay", "--edid"}},
        {K::PresetSave, {}},
        {K::PresetLoad, {}},
        {K::Save, {"--presets"}},
        {K::Restore, {"--presets", "--names"}},
        {K::SceneList, {}},
        {K::SceneShow, {}},
        {K::SceneRecall, {}},
    };
    return allowed;
}

} // namespace

std::optional<std::vector<int>> CtlCommand::ParseList(const QString& text, int low, int high) {
    // Bounded before any value is walked: a range of two billion ports is
    // refused at once rather than counted.
    std::vector<int> out;
    std::vector<bool> seen(static_cast<size_t>(high - low + 1), false);
    for (const QString& item : text.split(QLatin1Char(','))) {
        const qsizetype dash = item.indexOf(QLatin1Char('-'), 1);
        const auto first = ParseInt(dash < 0 ? item : item.left(dash));
        const auto last = dash < 0 ? first : ParseInt(item.mid(dash + 1));
        if (!first || !last || *first > *last || *first < low || *last > high) {
            return std::nullopt;
        }
        for (int v = *first; v <= *last; ++v) {
            if (!seen[static_cast<size_t>(v - low)]) {
                seen[static_cast<size_t>(v - low)] = true;
                out.push_back(v);
            }
        }
    }
    return out;
}

bool CtlCommand::Parse(const QStringList& args, CtlCommand& c, QString& error) {
    QMap<QString, QString> values;
    QStringList flags;
    QStringList words;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString name = args[i];
        QString value;
        bool hasValue = false;
        const qsizetype eq = name.indexOf(QLatin1Char('='));
        if (name.startsWith(QLatin1String("--")) && eq > 0) {
            value = name.mid(eq + 1);
            name.truncate(eq);
            hasValue = true;
        }
        if (kWithValue.contains(name)) {
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    error = QStringLiteral("%1 needs a value").arg(name);
                    return false;
                }
                value = args[++i];
            }
            values[name] = value;
        } else if (kFlags.contains(name) && !hasValue) {
            flags << name;
        } else if (name.startsWith(QLatin1Char('-')) && name.size() > 1 && !ParseInt(name)) {
            error = QStringLiteral("unknown option '%1' (see --help)").arg(args[i]);
            return false;
        } else {
            words << name;
        }
    }
    if (flags.contains(QStringLiteral("--help")) || flags.contains(QStringLiteral("-h"))) {
        c.kind = Kind::Help;
        return true;
    }
    if (flags.contains(QStringLiteral("--version"))) {
        c.kind = Kind::Version;
        return true;
    }
    if (words.isEmpty()) {
        error = QStringLiteral("no command given (see --help)");
        return false;
    }

    const QString verb = words.takeFirst();
    int wanted = 1; // the unit ID
    if (verb == u"scan") {
        c.kind = Kind::Scan;
        wanted = 0;
    } else if (verb == u"show") {
        c.kind = Kind::Show;
    } else if (verb == u"route") {
        c.kind = Kind::Route;
    } else if (verb == u"disconnect") {
        c.kind = Kind::Disconnect;
    } else if (verb == u"set") {
        c.kind = Kind::Set;
    } else if (verb == u"preset" && !words.isEmpty() &&
               (words.first() == u"save" || words.first() == u"load")) {
        c.kind = words.takeFirst() == u"save" ? Kind::PresetSave : Kind::PresetLoad;
        wanted = 2; // ID and location
    } else if (verb == u"scene") {
        const QString what = words.isEmpty() ? QString() : words.takeFirst();
        if (what == u"list" && words.isEmpty()) {
            c.kind = Kind::SceneList;
        } else if ((what == u"show" || what == u"recall") && words.size() == 1 &&
                   !words[0].isEmpty()) {
            c.kind = what == u"show" ? Kind::SceneShow : Kind::SceneRecall;
            c.scene = words.takeFirst();
        } else {
            error = QStringLiteral("scene takes list, show NAME or recall NAME (see --help)");
            return false;
        }
        wanted = 0;
    } else if (verb == u"save" || verb == u"restore") {
        c.kind = verb == u"save" ? Kind::Save : Kind::Restore;
        wanted = 2; // ID and file
    } else {
        error = QStringLiteral("unknown command '%1' (see --help)").arg(verb);
        return false;
    }
    if (words.size() != wanted) {
        error = QStringLiteral("%1 takes %2 (see --help)")
                    .arg(verb, wanted == 0   ? QStringLiteral("no arguments")
                               : wanted == 1 ? QStringLiteral("a unit ID")
                               : c.kind == Kind::Save || c.kind == Kind::Restore
                                   ? QStringLiteral("a unit ID and a file")
                                   : QStringLiteral("a unit ID and a location"));
        return false;
    }
    if (wanted >= 1) {
        const auto id = ParseInt(words[0]);
        if (!id || *id < 0 || *id > 31) {
            error = QStringLiteral("unit ID '%1' is not 0 to 31").arg(words[0]);
            return false;
        }
        c.id = *id;
    }
    if (c.kind == Kind::Save || c.kind == Kind::Restore) {
        c.file = words[1];
    } else if (wanted == 2) {
        const auto location = ParseInt(words[1]);
        if (!location) {
            error = QStringLiteral("location '%1' is not a number").arg(words[1]);
            return false;
        }
        c.location = *location;
    }

    const QStringList& allowed = Allowed()[c.kind];
    const QStringList common = {"--port", "--baud", "--json", "--trace"};
    for (const QString& name : values.keys() + flags) {
        if (!allowed.contains(name) && !common.contains(name)) {
            error = QStringLiteral("%1 does not go with %2").arg(name, verb);
            return false;
        }
    }
    c.json = flags.contains(QStringLiteral("--json"));
    c.trace = flags.contains(QStringLiteral("--trace"));
    c.presets = flags.contains(QStringLiteral("--presets"));
    c.names = flags.contains(QStringLiteral("--names"));
    c.audio = flags.contains(QStringLiteral("--audio"));
    c.video = flags.contains(QStringLiteral("--video"));

    // Numbers: their form here, their range against the unit later.
    const QMap<QString, std::optional<int>*> numbers = {
        {"--port", &c.port},           {"--baud", &c.baud},   {"--input", &c.input},
        {"--volume", &c.volume},       {"--bass", &c.bass},   {"--treble", &c.treble},
        {"--subwoofer", &c.subwoofer}, {"--delay", &c.delay}, {"--edid", &c.edid},
    };
    for (auto it = numbers.begin(); it != numbers.end(); ++it) {
        if (values.contains(it.key())) {
            *it.value() = ParseInt(values[it.key()]);
            if (!*it.value()) {
                error =
                    QStringLiteral("%1 '%2' is not a whole number").arg(it.key(), values[it.key()]);
                return false;
            }
        }
    }
    const QMap<QString, std::vector<int>*> lists = {
        {"--outputs", &c.outputs}, {"--inputs", &c.inputs}, {"--ids", &c.ids}};
    for (auto it = lists.begin(); it != lists.end(); ++it) {
        if (values.contains(it.key())) {
            const bool ids = it.key() == u"--ids";
            // Port 0 and below pass here, to be refused against the unit's
            // own counts with the rest of its values.
            const auto list =
                ParseList(values[it.key()], ids ? 0 : -kMaxPortNumber, ids ? 31 : kMaxPortNumber);
            if (!list) {
                error = QStringLiteral("%1 '%2' is not a list such as %3%4")
                            .arg(it.key(), values[it.key()],
                                 ids ? QStringLiteral("0-7") : QStringLiteral("1,2,5-8"),
                                 ids ? QStringLiteral(" (IDs are 0 to 31)")
                                     : QStringLiteral(" (ports are 1 to 255)"));
                return false;
            }
            *it.value() = *list;
        }
    }
    if (values.contains(QStringLiteral("--mute"))) {
        const QString m = values[QStringLiteral("--mute")];
        if (m != u"on" && m != u"off") {
            error = QStringLiteral("--mute takes on or off");
            return false;
        }
        c.mute = m == u"on";
    }
    if (c.kind == Kind::Scan && c.ids.empty()) {
        for (int id = 0; id <= 31; ++id) {
            c.ids.push_back(id);
        }
    }

    // What each command needs.
    if ((c.kind == Kind::Route || c.kind == Kind::Disconnect) && c.outputs.empty()) {
        error = QStringLiteral("%1 needs --outputs").arg(verb);
        return false;
    }
    if (c.kind == Kind::Route && !c.input) {
        error = QStringLiteral("route needs --input");
        return false;
    }
    if (c.kind == Kind::Set) {
        const bool audioValues = c.volume || c.bass || c.treble || c.subwoofer || c.delay || c.mute;
        const bool toOutputs = !c.outputs.empty() && audioValues && !c.edid && c.inputs.empty();
        const bool toInputs = !c.inputs.empty() && c.edid && !audioValues && c.outputs.empty();
        if (!toOutputs && !toInputs) {
            error = QStringLiteral("set takes --outputs with values, or --inputs with --edid");
            return false;
        }
    }
    return true;
}

QString CtlCommand::Help() {
    return QStringLiteral(R"(Usage: quadrel-ctl [--port N] [--baud B] [--json] [--trace] COMMAND

Drives the matrix switchers on Quadrel's serial line from scripts and
scheduled jobs. The port and rate default to those of the program's
settings ($XDG_CONFIG_HOME/Quadrel/Quadrel.conf), so quadrel-ctl talks to
the line the desktop program was set up for. It waits until every request
is answered or given up, and ends with 0 only when the unit took everything.

Commands:
  scan [--ids 0-7]            list the units that answer (all 32 IDs take
                              about 29 s on an empty line)
  show ID [--presets]         everything unit ID reports, and its presets
  route ID --input I --outputs O,... [--audio|--video]
                              route input I to the outputs (both kinds the
                              unit has unless one is named)
  disconnect ID --outputs O,... [--audio|--video]
  set ID --outputs O,... [--volume V] [--bass V] [--treble V]
         [--subwoofer V] [--mute on|off] [--delay MS]
  set ID --inputs I,... --edid 0|1
                              0: the fixed EDID, 1: the EDID of output 1
  preset save ID LOCATION     store the unit's state as preset LOCATION
  preset load ID LOCATION     recall preset LOCATION
  save ID FILE [--presets]    read the unit afresh and write its settings
                              (routes, mute, levels, delay, EDID; every
                              preset with --presets) and the names kept for
                              it on this PC to FILE, a JSON file
  scene list                  the scenes kept on this PC, with their units
  scene show NAME             what scene NAME sets, unit by unit
  scene recall NAME           set every unit of scene NAME as the scene
                              says: each unit gets only what differs and is
                              read back; a unit not on the line, a port past
                              its counts or a setting it lacks is left out
                              and reported, and the other units are set
  token create NAME [--role technician|staff]
                              a token for a network client of the line's
                              owner (staff unless named); shown only once
  token list                  the tokens: id, role, when made, name
  token revoke ID|NAME        the token no longer lets anyone in
  restore ID FILE [--presets] [--names]
                              send the unit only what differs from FILE,
                              then read it back; with --presets also the
                              presets that differ, each passed through the
                              live outputs (heard and seen on a live system);
                              with --names the file's names become the
                              unit's names on this PC

Lists take numbers and ranges: 1,3,5-8.

Options:
  --port N      serial port number 1-255 (as in the program's options)
  --baud B      9600 or 19200
  --json        print the result as JSON on standard output
  --trace       print every frame sent and received on standard error
  --help        this text
  --version     the version

Values are checked against what the unit reports (its port counts, 0-100
for levels, its delay range and step, its presets, its abilities) before
anything is sent. Progress goes to standard error when that is a terminal.

Exit status:
  0  done: the unit took everything
  1  the unit answered, but reports back something other than was asked
  2  the command line is wrong
  3  no such port (the number names no serial port, or none is set)
  4  the port is held by another program (the desktop program included)
  5  the port would not open (permission), or vanished while in use
  6  the unit does not answer
  7  a value outside what the unit reports; nothing was sent
  8  the unit settings file cannot be read or written, is damaged or out
     of range, or is for a unit of another size or sections; or the
     program's settings file, needed for the port or rate, cannot be read
     or is damaged; nothing was sent
  9  scene recall, scene show: there is no scene of that name; nothing
     was sent
  10 scene recall: done in part: a unit of the scene is not on the line or
     stopped answering, or a value was left out or not taken; the report
     says what did not reach which unit, the other units are set
  A scenes file that is damaged or out of range gives 8, a scene value
  outside what its unit takes gives 7, and nothing is sent.
  128+N  ended by signal N (130 for Ctrl+C); the port is closed first
)");
}

} // namespace quadrel::ctl
