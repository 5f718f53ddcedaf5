#include "sim/CommandLine.h"

#include "sim/ConfigFile.h"
#include "sim/OptionKeys.h"

namespace quadrel::sim {

bool CommandLine::Parse(const QStringList& args, SimOptions& options, QString& error) {
    struct Item {
        QString name;
        QString value;
        bool hasValue = false;
    };
    static const QStringList kWithValue = {
        QStringLiteral("--port"),   QStringLiteral("--baud"),     QStringLiteral("--latency"),
        QStringLiteral("--seed"),   QStringLiteral("--config"),   QStringLiteral("--unit"),
        QStringLiteral("--faults"), QStringLiteral("--chunk-ms"),
    };
    static const QStringList kFlags = {QStringLiteral("--trace"), QStringLiteral("--help"),
                                       QStringLiteral("-h"), QStringLiteral("--demo")};
    std::vector<Item> items;
    for (qsizetype i = 0; i < args.size(); ++i) {
        Item item{args[i], {}, false};
        const qsizetype eq = item.name.indexOf(QLatin1Char('='));
        if (item.name.startsWith(QLatin1String("--")) && eq > 0) {
            item.value = item.name.mid(eq + 1);
            item.name.truncate(eq);
            item.hasValue = true;
        }
        if (kWithValue.contains(item.name)) {
            if (!item.hasValue) {
                if (i + 1 >= args.size()) {
                    error = QStringLiteral("%1 needs a value").arg(item.name);
                    return false;
                }
                item.value = args[++i];
                item.hasValue = true;
            }
        } else if (!kFlags.contains(item.name) || item.hasValue) {
            error = QStringLiteral("unknown option '%1' (see --help)").arg(args[i]);
            return false;
        }
        items.push_back(item);
    }
    // The config file first, so that the command line can override its line keys.
    bool demo = false;
    for (const Item& item : items) {
        if (item.name == u"--help" || item.name == u"-h") {
            options.help = true;
            return true;
        }
        if (item.name == u"--config") {
            options.configFile = item.value;
            if (!ConfigFile::Load(item.value, options, error)) {
                return false;
            }
        }
    }
    for (const Item& item : items) {
        const QString key = item.name.mid(2);
        if (item.name == u"--trace") {
            options.trace = true;
        } else if (item.name == u"--demo") {
            demo = true;
        } else if (item.name == u"--unit") {
            UnitConfig unit;
            if (!OptionKeys::ParseUnitKeys(item.value, unit, error)) {
                error = QStringLiteral("--unit %1: %2").arg(item.value, error);
                return false;
            }
            options.units.push_back(unit);
        } else if (item.name == u"--faults") {
            if (!OptionKeys::ParseFaultKeys(item.value, options.line.faults, error)) {
                error = QStringLiteral("--faults %1: %2").arg(item.value, error);
                return false;
            }
        } else if (item.name != u"--config" &&
                   !OptionKeys::ApplyLineKey(options, key, item.value, error)) {
            error = QStringLiteral("%1: %2").arg(item.name, error);
            return false;
        }
    }
    if (demo && !options.units.empty()) {
        error = QStringLiteral("--demo serves the demo line-up alone; leave out --unit");
        return false;
    }
    return OptionKeys::Validate(options, error);
}

QString CommandLine::Help() {
    return QStringLiteral(R"(Usage: quadrel-sim [options]

Emulates matrix switcher units on a pseudo-terminal and makes it Quadrel's
serial port N through the alias comN in $XDG_CONFIG_HOME/Quadrel/ports/
(normally ~/.config/Quadrel/ports/). The alias goes when quadrel-sim ends
(Ctrl+C or SIGTERM). Without units it serves the demo line-up:
  unit 1  Main Hall 24x16   audio and video, every ability, 8 presets
  unit 2  Lounge Audio 8x4  audio only, no bass or subwoofer, delay in 10 ms
  unit 5  Projection 6x2    video only, EDID select

Options:
  --port N         serve as port N, 1-255 (default 200)
  --baud B         line speed for byte timing, 9600 or 19200 (default 9600)
  --latency MS     time from a request's last byte to the answer (default 2)
  --chunk-ms N     hand answer bytes over in the chunks of a USB adapter that
                   holds input up to N ms (16 on common ones); default 0: each
                   byte as it comes off the wire, every 10 bit times
  --seed N         seed of faults and plug changes (default 1)
  --trace          print every frame in and out with a time stamp
  --config FILE    read the line and units from FILE (format below)
  --unit KEYS      add a unit; KEYS are key=value,key=value,... (see below)
  --faults KEYS    faults for every unit without faults of its own
  --demo           serve the demo line-up (the default without units)
  --help           this text

Unit keys (id is required):
  id=0..31  name=TEXT  inputs=1..255  outputs=1..255  memories=0..15
  sections=av|a|v|none  extended=yes|no  volume= bass= treble= subwoofer=
  delay=yes|no  delay-step=5|10  max-delay=MS (steps of 100, up to 25500)
  edid=yes|no  plug-video-in= plug-audio-in= plug-video-out= plug-audio-out=
  firmware=MAJOR.MINOR.REVISION  firmware-readable=yes|no  long-frames=yes|no
  plug-period=MS        a random plug change every MS (0: none)
  plug-at=MS:KIND:PORT:0|1;...   plug changes at fixed times; KIND is
                        vin, ain, vout or aout
  Every capability is on by default; fault keys among a unit's keys give that
  unit faults of its own instead of the line's.

Fault keys (chances from 0 to 1 per answer, drawn from the seed):
  lost=   the answer never comes (the command is still carried out)
  corrupt=  one bit of the answer flipped
  noise=  noise-bytes random bytes (default 3) come before the answer
  split=  the answer in split-pieces pieces (default 2), split-gap MS apart
          (default 50; over 200 makes the program drop the first piece)
  late=   the answer comes late-ms later (default 350)
  wrong-id=  the answer carries the next unit ID
  out-of-range=  a reply carries a value outside its range
  empty=  a reply carries no data (L = 0)
  silent=yes     the unit neither answers nor acts
  deaf=yes       the unit acknowledges settings but does not carry them out
  silent-after=N silent after N frames to it, for silent-for MS (0: for good)
  echo=   the unit sends its answer once more, echo-ms MS later (default 20)
  foreign=  another device's well-formed answer frame (an ID no unit on the
          line has, nor any awaited request) starts up to foreign-ms MS
          after the answer (default 200)
  chatter=  chance of a stray byte every chatter-ms MS (default 150), with an
          ID that no request awaits, whether anything is awaited or not; at
          chatter=1 a byte every chatter-ms exactly
  Echo, foreign and chatter draw from generators of their own: a seed
  replays the other faults the same with or without them.

Config file: '#' starts a comment; [line] takes port, baud, latency, seed,
chunk-ms, trace and fault keys; each [unit] section takes unit keys, one per line:
  [line]
  seed = 7
  lost = 0.05
  [unit]
  id = 1
  name = Main Hall
  inputs = 24
  outputs = 16
)");
}

} // namespace quadrel::sim
