#pragma once

#include "model/Scene.h"

#include <QKeySequence>
#include <QString>

#include <vector>

class QWidget;

namespace quadrel::SceneKeys {

// What in `window` already answers to `keys`, in the operator's words
// ("Undo", "the Scan button", "scene “Night”"), for a scene's shortcut;
// empty when nothing does. Keys without Ctrl or Alt (other than function
// keys), the pages' navigation and the text boxes' editing keys are
// taken too. `scene` is the scene being edited: its own keys are its own.
QString Holder(const QWidget& window, const std::vector<Scene>& scenes, const QKeySequence& keys,
               const QString& scene);

} // namespace quadrel::SceneKeys
