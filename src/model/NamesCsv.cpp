#include "model/NamesCsv.h"

#include "model/NamesCodec.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace quadrel::NamesCsv {

namespace {

QString Field(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QByteArray Write(const std::vector<QStringList>& rows) {
    QString text;
    for (const QStringList& row : rows) {
        QStringList fields;
        for (const QString& f : row) {
            fields << Field(f);
        }
        text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    // The mark tells spreadsheet programs the text is UTF-8.
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

bool Read(const QByteArray& bytes, std::vector<QStringList>& rows, QString& error) {
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    rows.clear();
    QStringList row;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    const auto endRow = [&] {
        row << field;
        rows.push_back(row);
        row.clear();
        field.clear();
        fieldStarted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c != QLatin1Char('"')) {
                field += c;
            } else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
            fieldStarted = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('\n')) {
                ++i;
            }
            endRow();
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted) {
        error = QCoreApplication::translate("NamesCsv", "a quoted field does not end");
        return false;
    }
    if (fieldStarted || !row.isEmpty() || !field.isEmpty()) {
        endRow();
    }
    return true;
}

QString AsText(const QString& name) {
    // A spreadsheet evaluates a cell that starts so; the apostrophe keeps it
    // text, and an import takes it off again.
    static const QString kEvaluated = QStringLiteral("=+-@'");
    return !name.isEmpty() && kEvaluated.contains(name.at(0)) ? QLatin1Char('\'') + name : name;
}

QString FromText(const QString& cell) {
    return cell.startsWith(QLatin1Char('\'')) ? cell.mid(1) : cell;
}

QByteArray Export(const UnitNames& names, int inputs, int outputs, int presets) {
    std::vector<QStringList> rows{{QStringLiteral("Port"), QStringLiteral("Name")}};
    const auto add = [&](NamedPort port) {
        rows.push_back({PortWords(port), AsText(NameOf(names, port))});
    };
    add({NameKind::Unit, 0});
    const std::pair<NameKind, int> kinds[] = {
        {NameKind::Input, inputs}, {NameKind::Output, outputs}, {NameKind::Preset, presets}};
    for (const auto& [kind, count] : kinds) {
        for (int n = 1; n <= count; ++n) {
            add({kind, n});
        }
        // Names kept for ports beyond this unit's counts go along.
        for (int n = count + 1; n <= NamesCodec::kMaxPort; ++n) {
            if (!NameOf(names, {kind, n}).isEmpty()) {
                add({kind, n});
            }
        }
    }
    return Write(rows);
}

bool Import(const QByteArray& text, Imported& out, QString& error) {
    if (text.size() > kMaxBytes) {
        error = QCoreApplication::translate("NamesCsv", "the file is larger than %1 KiB")
                    .arg(kMaxBytes >> 10);
        return false;
    }
    std::vector<QStringList> rows;
    if (!Read(text, rows, error)) {
        return false;
    }
    static const QRegularExpression port(
        QStringLiteral("^\\s*(unit|input|output|preset)\\s*(\\d*)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    out = {};
    int taken = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const QStringList& row = rows[i];
        if (row.size() == 1 && row.first().trimmed().isEmpty()) {
            continue;
        }
        const auto match = port.match(row.first());
        if (i == 0 && !match.hasMatch()) {
            continue; // the header
        }
        const QString kind = match.captured(1).toLower();
        const int n = match.captured(2).toInt();
        const std::pair<const char*, std::pair<NameKind, int>> kinds[] = {
            {"input", {NameKind::Input, NamesCodec::kMaxPort}},
            {"output", {NameKind::Output, NamesCodec::kMaxPort}},
            {"preset", {NameKind::Preset, NamesCodec::kMaxPort}}};
        std::optional<NamedPort> named;
        if (kind == QLatin1String("unit") && match.captured(2).isEmpty()) {
            named = NamedPort{NameKind::Unit, 0};
        }
        for (const auto& [word, limits] : kinds) {
            if (kind == QLatin1String(word) && n >= 1 && n <= limits.second) {
                named = NamedPort{limits.first, n};
            }
        }
        if (!match.hasMatch() || !named || row.size() > 2) {
            //: %2: the start of the line's first cell
            out.rejected << QCoreApplication::translate("NamesCsv", "line %1: %2")
                                .arg(i + 1)
                                .arg(row.first().left(24));
            continue;
        }
        SetName(out.names, *named, FromText(row.value(1)));
        ++taken;
    }
    if (taken == 0 && !out.rejected.isEmpty()) {
        //: the quoted words are what the file must hold, in English whatever the language
        error = QCoreApplication::translate("NamesCsv", "no line names a port (\"Input 1\", "
                                                        "\"Output 2\", \"Preset 3\", \"Unit\")");
        return false;
    }
    return true;
}

} // namespace quadrel::NamesCsv
