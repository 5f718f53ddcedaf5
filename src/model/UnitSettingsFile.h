#pragma once

#include "model/UnitSettings.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace quadrel {

// The unit settings file: JSON, format "quadrel-unit-settings", version 1
// (the README describes every key). Reading checks the size first, then the
// form, every count and every range against the unit the file itself
// describes, so a file that reads is one that can be sent.
namespace UnitSettingsFile {

constexpr int kVersion = 1;
constexpr qint64 kMaxBytes = 4 * 1024 * 1024;

QByteArray ToJson(const UnitSettings& settings);
// Empty, with `error` saying what and where, when the text is not a
// settings file this program can use.
std::optional<UnitSettings> FromJson(const QByteArray& text, QString& error);

// Written atomically: a crash leaves the old file or the new one, never half.
bool Write(const QString& path, const UnitSettings& settings, QString& error);
std::optional<UnitSettings> Read(const QString& path, QString& error);

} // namespace UnitSettingsFile

} // namespace quadrel
