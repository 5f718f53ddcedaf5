#pragma once

#include "model/Scene.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace quadrel {

// The operator's scenes, in a file of their own beside the names file
// (versioned JSON, read with limits, written atomically). Several programs
// may share it: each change re-reads the file under a lock and applies only
// that change. A damaged file is kept aside under a name with the time and
// not used; a file that cannot be read or comes from a newer Quadrel is left
// as it is and changes are refused.
class SceneStore {
    Q_DECLARE_TR_FUNCTIONS(SceneStore)

public:
    // `fileName` empty: scenes live only as long as the store. `timeStamp`
    // names a damaged file's copy; without it the copies are numbered.
    explicit SceneStore(QString fileName, std::function<QString()> timeStamp = {});

    // scenes.json in the directory of NamesStore::DefaultFileName().
    static QString DefaultFileName();

    // Reads the file afresh; on failure the store is empty and problem() says why.
    void Load();
    // Why the last load or change could not use the file; empty when it went well.
    const QString& problem() const { return problem_; }

    // In the file's order (as saved: a new scene goes last).
    const std::vector<Scene>& scenes() const { return scenes_; }
    // Null when there is none of that name (names compare exactly).
    const Scene* Find(const QString& name) const;

    // Adds `scene`, or replaces the scene called `replacing` (its name when
    // empty) in place: a rename keeps the scene's place. False, with
    // problem() telling why, when the scene is invalid (see Check), its name
    // is taken by another scene, or the file could not be written.
    bool Save(const Scene& scene, const QString& replacing = {});
    bool Remove(const QString& name);

    const QString& fileName() const { return fileName_; }

    // Why `scene` cannot be kept: an empty or too long name, a unit ID past
    // 0x1F or twice, ports or values out of any unit's range, too many
    // units or ports. Empty when it can.
    static QString Check(const Scene& scene);

    // The file's text, and back; the reader checks sizes and ranges and
    // refuses the whole file on any fault. `newer` tells a later format.
    static QByteArray ToJson(const std::vector<Scene>& scenes);
    static std::optional<std::vector<Scene>> FromJson(const QByteArray& text, QString& error,
                                                      bool* newer = nullptr);

    static constexpr int kVersion = 1;
    static constexpr qint64 kMaxBytes = 4 << 20;
    static constexpr int kMaxScenes = 256;
    static constexpr int kMaxNameLength = 64;

private:
    using Edit = std::function<bool(std::vector<Scene>&, QString& why)>;
    bool Change(const Edit& edit);
    // The file as it is now into `scenes` (empty when missing, or when a
    // damaged file was kept aside); false when it cannot be used.
    bool Read(std::vector<Scene>& scenes);

    QString fileName_;
    std::function<QString()> timeStamp_;
    QString problem_;
    std::vector<Scene> scenes_;
};

} // namespace quadrel
