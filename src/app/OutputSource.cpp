#include "app/OutputSource.h"

#include <QStringList>

namespace quadrel {

namespace {

const QChar kNothing(0x2013); // en dash

QString InputName(int input, const UnitNames& names) {
    return input > 0 ? NameOf(names, {NameKind::Input, input}) : QString();
}

} // namespace

QString InputShown(int input, const UnitNames& names) {
    const QString name = InputName(input, names);
    return name.isEmpty() ? QStringLiteral("input %1").arg(input)
                          : QStringLiteral("%1 (input %2)").arg(name, QString::number(input));
}

QString SourceText(const OutputSource& source, const UnitNames& names) {
    const auto named = [&](const std::optional<int>& input) {
        return input && !InputName(*input, names).isEmpty();
    };
    // One named input behind both kinds is told once.
    if (named(source.audio) && source.audio == source.video) {
        return QStringLiteral("AV ") + InputName(*source.audio, names);
    }
    const bool anyNamed = named(source.audio) || named(source.video);
    QStringList parts;
    const auto part = [&](QChar kind, const std::optional<int>& input) {
        if (!input) {
            return;
        }
        const QString name = InputName(*input, names);
        parts << QString(kind) + (!name.isEmpty() ? QLatin1Char(' ') + name
                                  : *input > 0    ? QString::number(*input)
                                                  : QString(kNothing));
    };
    part(QLatin1Char('A'), source.audio);
    part(QLatin1Char('V'), source.video);
    return parts.join(anyNamed ? QStringLiteral(" \u00B7 ") : QStringLiteral(" "));
}

QString SourceDescription(const OutputSource& source, const UnitNames& names) {
    QStringList parts;
    const auto part = [&](const char* kind, const std::optional<int>& input) {
        if (input) {
            parts << (*input > 0 ? QStringLiteral("%1 from %2")
                                       .arg(QLatin1String(kind), InputShown(*input, names))
                                 : QStringLiteral("no %1").arg(QLatin1String(kind)));
        }
    };
    part("audio", source.audio);
    part("video", source.video);
    const QString output = NameOf(names, {NameKind::Output, source.output});
    return parts.isEmpty()
               ? QString()
               : QStringLiteral("Output %1%2: %3")
                     .arg(QString::number(source.output),
                          output.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(output),
                          parts.join(QStringLiteral(", ")));
}

} // namespace quadrel
