#include "model/UnitNames.h"

#include "model/DeviceName.h"

#include <QCoreApplication>
#include <QList>
#include <QRegularExpression>

#include <algorithm>

namespace quadrel {

namespace {

std::map<int, QString>* MapOf(UnitNames& names, NameKind kind) {
    switch (kind) {
    case NameKind::Input:
        return &names.inputs;
    case NameKind::Output:
        return &names.outputs;
    case NameKind::Preset:
        return &names.presets;
    case NameKind::Unit:
        break;
    }
    return nullptr;
}

} // namespace

QString NameOf(const UnitNames& names, NamedPort port) {
    if (port.kind == NameKind::Unit) {
        return names.unit;
    }
    const std::map<int, QString>& map = port.kind == NameKind::Input    ? names.inputs
                                        : port.kind == NameKind::Output ? names.outputs
                                                                        : names.presets;
    const auto it = map.find(port.number);
    return it == map.end() ? QString() : it->second;
}

void SetName(UnitNames& names, NamedPort port, const QString& name) {
    const QString plain = PlainName(name);
    if (port.kind == NameKind::Unit) {
        names.unit = plain;
    } else if (plain.isEmpty()) {
        MapOf(names, port.kind)->erase(port.number);
    } else {
        (*MapOf(names, port.kind))[port.number] = plain;
    }
}

QString PortWords(NamedPort port) {
    switch (port.kind) {
    case NameKind::Input:
        return QStringLiteral("Input %1").arg(port.number);
    case NameKind::Output:
        return QStringLiteral("Output %1").arg(port.number);
    case NameKind::Preset:
        return QStringLiteral("Preset %1").arg(port.number);
    case NameKind::Unit:
        break;
    }
    return QStringLiteral("Unit");
}

QString PortCaption(NamedPort port) {
    switch (port.kind) {
    case NameKind::Input:
        return QCoreApplication::translate("UnitNames", "Input %1").arg(port.number);
    case NameKind::Output:
        return QCoreApplication::translate("UnitNames", "Output %1").arg(port.number);
    case NameKind::Preset:
        //: a memory location of the unit
        return QCoreApplication::translate("UnitNames", "Preset %1").arg(port.number);
    case NameKind::Unit:
        break;
    }
    return QCoreApplication::translate("UnitNames", "Unit");
}

QString PlainName(const QString& text) {
    QString spaced = text;
    for (QChar& c : spaced) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t') ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            c = QLatin1Char(' ');
        }
    }
    const QList<uint> points = ShownText(spaced).trimmed().toUcs4();
    // By code point, so a character beyond the first plane is never halved.
    const auto kept = std::min<qsizetype>(points.size(), kMaxPortNameLength);
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(points.constData()), kept).trimmed();
}

std::optional<NamedPort> FindPort(const UnitNames& names, const QString& text, int inputs,
                                  int outputs) {
    const QString wanted = text.simplified();
    static const QRegularExpression numbered(
        QStringLiteral("^(?:(i|in|input)|(o|out|output))?\\s*(\\d{1,3})$"),
        QRegularExpression::CaseInsensitiveOption);
    if (const auto match = numbered.match(wanted); match.hasMatch()) {
        const bool input = match.capturedLength(1) > 0;
        const int number = match.captured(3).toInt();
        if (number >= 1 && number <= (input ? inputs : outputs)) {
            return NamedPort{input ? NameKind::Input : NameKind::Output, number};
        }
        return std::nullopt;
    }
    if (wanted.isEmpty()) {
        return std::nullopt;
    }
    // The ports' names by how well they fit: whole, beginning, anywhere.
    std::vector<NamedPort> fits[3];
    const std::pair<NameKind, const std::map<int, QString>*> kinds[] = {
        {NameKind::Output, &names.outputs}, {NameKind::Input, &names.inputs}};
    for (const auto& [kind, map] : kinds) {
        const int count = kind == NameKind::Input ? inputs : outputs;
        for (const auto& [number, name] : *map) {
            if (number < 1 || number > count) {
                continue;
            }
            const NamedPort port{kind, number};
            if (name.compare(wanted, Qt::CaseInsensitive) == 0) {
                fits[0].push_back(port);
            } else if (name.startsWith(wanted, Qt::CaseInsensitive)) {
                fits[1].push_back(port);
            } else if (name.contains(wanted, Qt::CaseInsensitive)) {
                fits[2].push_back(port);
            }
        }
    }
    for (const auto& fit : fits) {
        if (!fit.empty()) {
            return fit.size() == 1 ? std::optional(fit.front()) : std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace quadrel
