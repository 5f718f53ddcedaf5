#include "app/OutputSource.h"

#include <QStringList>

namespace quadrel {

namespace {

const QChar kNothing(0x2013); // en dash

} // namespace

QString InputShown(int input) {
    return QString::number(input);
}

QString SourceText(const OutputSource& source) {
    QStringList parts;
    const auto part = [&](QChar kind, const std::optional<int>& input) {
        if (input) {
            parts << QString(kind) + (*input > 0 ? InputShown(*input) : QString(kNothing));
        }
    };
    part(QLatin1Char('A'), source.audio);
    part(QLatin1Char('V'), source.video);
    return parts.join(QLatin1Char(' '));
}

QString SourceDescription(const OutputSource& source) {
    QStringList parts;
    const auto part = [&](const char* kind, const std::optional<int>& input) {
        if (input) {
            parts << (*input > 0 ? QStringLiteral("%1 from input %2")
                                       .arg(QLatin1String(kind), InputShown(*input))
                                 : QStringLiteral("no %1").arg(QLatin1String(kind)));
        }
    };
    part("audio", source.audio);
    part("video", source.video);
    return parts.isEmpty() ? QString()
                           : QStringLiteral("Output %1: %2")
                                 .arg(source.output)
                                 .arg(parts.join(QStringLiteral(", ")));
}

} // namespace quadrel
