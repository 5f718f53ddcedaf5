#include "service/ServiceProtocol.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <sys/stat.h>
#include <unistd.h>

namespace quadrel::service::protocol {

namespace {

QString Folder() {
    // Without a session's runtime folder (a job scheduler, a service started
    // by hand), one of the user's own in the temporary folder.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? QDir::tempPath() + QStringLiteral("/quadrel-%1").arg(::geteuid())
                             : runtime + QStringLiteral("/quadrel");
}

} // namespace

QString SocketPath(int port) {
    return Folder() + QStringLiteral("/quadrel-com%1").arg(port);
}

bool MakeSocketFolder(QString& reason) {
    const QString folder = Folder();
    if (!QDir().mkpath(folder)) {
        reason = QStringLiteral("%1 cannot be made").arg(folder);
        return false;
    }
    // Only the user may reach the socket: the folder, not the socket's own
    // mode, is what every system honours.
    const QByteArray path = QFile::encodeName(folder);
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid()) {
        reason = QStringLiteral("%1 is not a folder of this user").arg(folder);
        return false;
    }
    if ((info.st_mode & 0077) != 0 && ::chmod(path.constData(), 0700) != 0) {
        reason = QStringLiteral("%1 cannot be made private").arg(folder);
        return false;
    }
    return true;
}

Parsed ParseRequest(const QByteArray& line) {
    Parsed out;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError) {
        out.error =
            QStringLiteral("not JSON: %1 at byte %2").arg(error.errorString()).arg(error.offset);
        return out;
    }
    out.json = true;
    if (!document.isObject()) {
        out.error = QStringLiteral("a request is a JSON object");
        return out;
    }
    const QJsonObject object = document.object();
    const QJsonValue id = object.value(QLatin1String("id"));
    if (!id.isUndefined()) {
        if (!id.isDouble() || id.toDouble() != static_cast<double>(id.toInteger()) ||
            id.toInteger() < 0) {
            out.error = QStringLiteral("\"id\" is a whole number from 0");
            return out;
        }
        out.id = id.toInteger();
    }
    const QJsonValue version = object.value(QLatin1String("quadrel"));
    if (!version.isDouble()) {
        out.error = QStringLiteral("\"quadrel\" (the protocol's version) is missing");
        return out;
    }
    if (version.toInteger() != kVersion || version.toDouble() != kVersion) {
        out.error = QStringLiteral("version %1 is not spoken here; this owner speaks %2")
                        .arg(version.toDouble())
                        .arg(kVersion);
        return out;
    }
    const QJsonValue command = object.value(QLatin1String("command"));
    if (!command.isString()) {
        out.error = QStringLiteral("\"command\" is missing or not text");
        return out;
    }
    Request request;
    request.id = out.id;
    request.command = command.toString();
    const QJsonValue args = object.value(QLatin1String("args"));
    if (!args.isUndefined()) {
        if (!args.isArray() || args.toArray().size() > kMaxArguments) {
            out.error = QStringLiteral("\"args\" is a list of at most %1 texts").arg(kMaxArguments);
            return out;
        }
        for (const QJsonValue& arg : args.toArray()) {
            if (!arg.isString() || arg.toString().size() > kMaxArgumentLength) {
                out.error = QStringLiteral("\"args\" holds only texts of at most %1 characters")
                                .arg(kMaxArgumentLength);
                return out;
            }
            request.args << arg.toString();
        }
    }
    out.request = request;
    return out;
}

QByteArray Line(QJsonObject object, std::optional<qint64> id) {
    object.insert(QStringLiteral("quadrel"), kVersion);
    if (id) {
        object.insert(QStringLiteral("id"), *id);
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace quadrel::service::protocol
