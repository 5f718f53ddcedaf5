#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quadrel::ctl {

// One run of quadrel-ctl as its command line asks for it. Parsing checks the
// form only; whether a value suits the unit is decided once the unit has
// reported what it has.
struct CtlCommand {
    enum class Kind {
        Help,
        Version,
        Scan,
        Show,
        Route,
        Disconnect,
        Set,
        PresetSave,
        PresetLoad,
        Save,
        Restore,
        SceneList,
        SceneShow,
        SceneRecall,
    };
    Kind kind = Kind::Help;

    std::optional<int> port; // default: the program's settings file
    std::optional<int> baud;
    bool json = false;
    bool trace = false;

    int id = 0;
    std::vector<int> ids; // scan: the IDs to probe
    bool presets = false; // show, save, restore: every preset too
    bool names = false;   // restore: the file's names become the unit's on this PC
    QString file;         // save, restore: the unit settings file
    bool audio = false;   // route, disconnect: only this kind (neither: what the unit has)
    bool video = false;
    std::optional<int> input;
    std::vector<int> outputs;
    std::vector<int> inputs;
    std::optional<int> volume, bass, treble, subwoofer, delay, edid;
    std::optional<bool> mute;
    int location = 0;
    QString scene; // scene show, scene recall: its name

    // False, with a one-line reason, when the arguments do not form a command.
    static bool Parse(const QStringList& args, CtlCommand& command, QString& error);
    // "1,3,5-8": whole numbers and ranges, each from `low` to `high`, in order,
    // without repeats.
    static std::optional<std::vector<int>> ParseList(const QString& text, int low, int high);
    static QString Help();
};

} // namespace quadrel::ctl
