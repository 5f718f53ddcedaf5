#include "sim/ConfigFile.h"

#include "sim/OptionKeys.h"

#include <QFile>
#include <QStringList>

namespace quadrel::sim {

bool ConfigFile::Load(const QString& path, SimOptions& options, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return Parse(QString::fromUtf8(file.readAll()), path, options, error);
}

bool ConfigFile::Parse(const QString& text, const QString& name, SimOptions& options,
                       QString& error) {
    enum class Section { None, Line, Unit } section = Section::None;
    std::vector<bool> unitHasId;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto fail = [&](const QString& why) {
            error = QStringLiteral("%1:%2: %3").arg(name).arg(i + 1).arg(why);
            return false;
        };
        QString line = lines[i];
        const qsizetype hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0) {
            line.truncate(hash);
        }
        line = line.trimmed();
        if (line.isEmpty()) {
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            if (line == u"[line]") {
                section = Section::Line;
            } else if (line == u"[unit]") {
                section = Section::Unit;
                options.units.emplace_back();
                unitHasId.push_back(false);
            } else {
                return fail(QStringLiteral("unknown section %1 (use [line] or [unit])").arg(line));
            }
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            return fail(QStringLiteral("'%1' is not key = value").arg(line));
        }
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        QString why;
        switch (section) {
        case Section::None:
            return fail(QStringLiteral("key before any [line] or [unit] section"));
        case Section::Line:
            if (!OptionKeys::ApplyLineKey(options, key, value, why)) {
                return fail(why);
            }
            break;
        case Section::Unit:
            if (!OptionKeys::ApplyUnitKey(options.units.back(), key, value, why)) {
                return fail(why);
            }
            unitHasId.back() = unitHasId.back() || key == u"id";
            break;
        }
    }
    for (size_t u = 0; u < unitHasId.size(); ++u) {
        if (!unitHasId[u]) {
            error = QStringLiteral("%1: unit section %2 has no id").arg(name).arg(u + 1);
            return false;
        }
    }
    return true;
}

} // namespace quadrel::sim
