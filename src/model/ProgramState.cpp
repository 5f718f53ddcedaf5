#include "model/ProgramState.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace quadrel {

ProgramState::ProgramState(QString fileName) : fileName_(std::move(fileName)) {}

QString ProgramState::DefaultFileName() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // The base directory convention: a relative path is to be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return base + QStringLiteral("/Quadrel/state.ini");
}

QVariant ProgramState::Value(const QString& key, const QVariant& fallback) const {
    const QSettings state(fileName_, QSettings::IniFormat);
    if (state.status() != QSettings::NoError) {
        return fallback;
    }
    return state.value(key, fallback);
}

void ProgramState::SetValue(const QString& key, const QVariant& value) {
    QDir().mkpath(QFileInfo(fileName_).absolutePath());
    QSettings state(fileName_, QSettings::IniFormat);
    state.setValue(key, value);
    state.sync();
}

void ProgramState::Remove(const QString& key) {
    QSettings state(fileName_, QSettings::IniFormat);
    state.remove(key);
    state.sync();
}

} // namespace quadrel
