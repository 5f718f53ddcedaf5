#include "model/SceneStore.h"

#include "model/NamesStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <algorithm>

namespace quadrel {

namespace {

// Another program's change takes a few milliseconds; one that holds the lock
// longer has hung, and the lock goes stale.
constexpr int kLockWaitMs = 5000;
constexpr int kStaleLockMs = 10000;

} // namespace

SceneStore::SceneStore(QString fileName, std::function<QString()> timeStamp)
    : fileName_(std::move(fileName)), timeStamp_(std::move(timeStamp)) {}

QString SceneStore::DefaultFileName() {
    return QFileInfo(NamesStore::DefaultFileName()).absolutePath() + QStringLiteral("/scenes.json");
}

const Scene* SceneStore::Find(const QString& name) const {
    const auto it = std::find_if(scenes_.begin(), scenes_.end(),
                                 [&name](const Scene& s) { return s.name == name; });
    return it == scenes_.end() ? nullptr : &*it;
}

void SceneStore::Load() {
    scenes_.clear();
    problem_.clear();
    if (fileName_.isEmpty() || !QFileInfo::exists(fileName_)) {
        return;
    }
    QLockFile lock(fileName_ + QStringLiteral(".lock"));
    lock.setStaleLockTime(kStaleLockMs);
    if (!lock.tryLock(kLockWaitMs)) {
        problem_ = tr("The scenes file %1 is held by another program.").arg(fileName_);
        return;
    }
    std::vector<Scene> read;
    if (Read(read)) {
        scenes_ = std::move(read);
    }
}

bool SceneStore::Read(std::vector<Scene>& scenes) {
    QFile file(fileName_);
    if (!file.exists()) {
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        problem_ = tr("The scenes file %1 could not be read (%2). It is left as it is.")
                       .arg(fileName_, file.errorString());
        return false;
    }
    QString error;
    bool newer = false;
    auto read = FromJson(file.read(kMaxBytes + 1), error, &newer);
    file.close();
    if (read) {
        scenes = std::move(*read);
        return true;
    }
    if (newer) {
        problem_ = tr("The scenes file %1 was written by a newer Quadrel (%2). It is left "
                      "as it is.")
                       .arg(fileName_, error);
        return false;
    }
    // A damaged file is never recalled from, nor written over: it is kept
    // aside for the technician, and the scenes start empty.
    const QString base = fileName_ + QStringLiteral(".damaged-") +
                         (timeStamp_ ? timeStamp_() : QStringLiteral("copy"));
    QString aside = base;
    for (int n = 2; QFileInfo::exists(aside); ++n) {
        aside = base + QStringLiteral("-%1").arg(n);
    }
    if (QFile::rename(fileName_, aside)) {
        problem_ = tr("The scenes file could not be read (%1). It was kept as %2; no scene "
                      "is recalled from it.")
                       .arg(error, aside);
        scenes.clear();
        return true;
    }
    problem_ =
        tr("The scenes file %1 could not be read (%2) nor kept aside.").arg(fileName_, error);
    return false;
}

bool SceneStore::Change(const Edit& edit) {
    QString why;
    if (fileName_.isEmpty()) {
        problem_.clear();
        if (!edit(scenes_, why)) {
            problem_ = why;
        }
        return problem_.isEmpty();
    }
    problem_.clear();
    QDir().mkpath(QFileInfo(fileName_).absolutePath());
    QLockFile lock(fileName_ + QStringLiteral(".lock"));
    lock.setStaleLockTime(kStaleLockMs);
    if (!lock.tryLock(kLockWaitMs)) {
        problem_ =
            tr("The scenes could not be written to %1: another program holds it.").arg(fileName_);
        return false;
    }
    // The file as it is now, not this program's older copy: another program
    // may have saved scenes since.
    std::vector<Scene> fresh;
    if (!Read(fresh)) {
        return false;
    }
    const QString damaged = problem_;
    if (!edit(fresh, why)) {
        scenes_ = std::move(fresh);
        problem_ = why;
        return false;
    }
    QSaveFile file(fileName_);
    if (!file.open(QIODevice::WriteOnly) || file.write(ToJson(fresh)) < 0 || !file.commit()) {
        problem_ = tr("The scenes could not be written to %1 (%2); the file is as it was.")
                       .arg(fileName_, file.errorString());
        return false;
    }
    scenes_ = std::move(fresh);
    problem_ = damaged;
    return true;
}

bool SceneStore::Save(const Scene& scene, const QString& replacing) {
    const QString checked = Check(scene);
    if (!checked.isEmpty()) {
        problem_ = checked;
        return false;
    }
    const QString old = replacing.isEmpty() ? scene.name : replacing;
    return Change([&](std::vector<Scene>& scenes, QString& why) {
        const auto named = [](const QString& n) {
            return [n](const Scene& s) { return s.name == n; };
        };
        const auto at = std::find_if(scenes.begin(), scenes.end(), named(old));
        const auto taken = std::find_if(scenes.begin(), scenes.end(), named(scene.name));
        if (taken != scenes.end() && taken != at) {
            why = tr("There is already a scene called “%1”.").arg(scene.name);
            return false;
        }
        if (at != scenes.end()) {
            *at = scene;
        } else if (static_cast<int>(scenes.size()) >= kMaxScenes) {
            why = tr("The scenes file holds at most %1 scenes.").arg(kMaxScenes);
            return false;
        } else {
            scenes.push_back(scene);
        }
        return true;
    });
}

bool SceneStore::Remove(const QString& name) {
    return Change([&name](std::vector<Scene>& scenes, QString&) {
        std::erase_if(scenes, [&name](const Scene& s) { return s.name == name; });
        return true;
    });
}

} // namespace quadrel
