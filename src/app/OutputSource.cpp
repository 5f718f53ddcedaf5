#include "app/OutputSource.h"

#include <QCoreApplication>
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
    return name.isEmpty() ? QCoreApplication::translate("OutputSource", "input %1").arg(input)
                          : QCoreApplication::translate("OutputSource", "%1 (input %2)")
                                .arg(name, QString::number(input));
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
    const auto part = [&](const QString& from, const QString& none,
                          const std::optional<int>& input) {
        if (input) {
            parts << (*input > 0 ? from.arg(InputShown(*input, names)) : none);
        }
    };
    part(QCoreApplication::translate("OutputSource", "audio from %1"),
         QCoreApplication::translate("OutputSource", "no audio"), source.audio);
    part(QCoreApplication::translate("OutputSource", "video from %1"),
         QCoreApplication::translate("OutputSource", "no video"), source.video);
    const QString output = NameOf(names, {NameKind::Output, source.output});
    return parts.isEmpty()
               ? QString()
               : (output.isEmpty()
                      ? QCoreApplication::translate("OutputSource", "Output %1: %2")
                            .arg(QString::number(source.output))
                      : QCoreApplication::translate("OutputSource", "Output %1 (%2): %3")
                            .arg(QString::number(source.output), output))
                     .arg(parts.join(QCoreApplication::translate("OutputSource", ", ")));
}

} // namespace quadrel
