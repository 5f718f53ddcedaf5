#include "remote/StaticFiles.h"

#include <QFile>

namespace quadrel::remote::StaticFiles {

namespace {

QByteArray TypeOf(const QString& name) {
    static constexpr std::pair<const char*, const char*> kTypes[] = {
        {".html", "text/html; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".json", "application/json"},
        {".svg", "image/svg+xml"},
        {".png", "image/png"},
    };
    for (const auto& [suffix, type] : kTypes) {
        if (name.endsWith(QLatin1String(suffix))) {
            return type;
        }
    }
    return {};
}

} // namespace

std::optional<File> Find(const QStringList& segments) {
    const QString name = segments.isEmpty() ? QStringLiteral("index.html") : segments.join('/');
    // The reader has refused dot segments already; a name here is one level,
    // of the characters our own files use.
    if (segments.size() > 1 || name.isEmpty() || name.startsWith(QLatin1Char('.'))) {
        return std::nullopt;
    }
    for (QChar c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'.' && c != u'-' && c != u'_') {
            return std::nullopt;
        }
    }
    const QByteArray type = TypeOf(name);
    QFile file(QStringLiteral(":/web/") + name);
    if (type.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return File{file.readAll(), type};
}

QByteArray SecurityPolicy() {
    return "default-src 'self'; img-src 'self' data:; style-src 'self'; script-src 'self'; "
           "connect-src 'self'; frame-ancestors 'none'; base-uri 'none'; form-action 'self'";
}

} // namespace quadrel::remote::StaticFiles
