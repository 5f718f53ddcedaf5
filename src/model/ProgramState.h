#pragma once

#include <QString>
#include <QVariant>

namespace quadrel {

// The program's own state between runs (window placement, "do not ask again"
// answers): kept apart from the settings file, which only a successful OK in
// Options writes. A missing or damaged file reads as empty; values that do not
// convert read as the caller's default.
class ProgramState {
public:
    // `fileName` is normally DefaultFileName().
    explicit ProgramState(QString fileName);

    QVariant Value(const QString& key, const QVariant& fallback = {}) const;
    void SetValue(const QString& key, const QVariant& value);
    void Remove(const QString& key);

    const QString& fileName() const { return fileName_; }

    // $XDG_STATE_HOME/Quadrel/state.ini, or ~/.local/state/Quadrel/state.ini.
    static QString DefaultFileName();

private:
    QString fileName_;
};

} // namespace quadrel
