#include "ctl/OwnerClient.h"

#include "model/PortSettings.h"
#include "service/ServiceProtocol.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QTimer>

namespace quadrel::ctl {

namespace {

namespace protocol = service::protocol;

// How long the owner may take to say hello: it answers at once unless its
// window is held up by a dialog.
constexpr int kHelloMs = 3000;

Session::Outcome Failed(const QString& message) {
    return {ExitStatus::PortFailed, message, {}};
}

} // namespace

std::optional<int> OwnerClient::PortOf(const CtlCommand& command, const QString& settingsFile) {
    if (command.port) {
        return command.port;
    }
    const PortSettings::Values stored = PortSettings(settingsFile).Read();
    return stored.iPortNumber > 0 ? std::optional<int>(stored.iPortNumber) : std::nullopt;
}

std::optional<Session::Outcome> OwnerClient::Run(int port, const CtlCommand& command,
                                                 const QStringList& arguments) {
    QLocalSocket socket;
    socket.connectToServer(protocol::SocketPath(port));
    if (!socket.waitForConnected(kHelloMs)) {
        return std::nullopt; // nobody serves the port
    }
    // A file is named for the owner, whose folder is not ours.
    QStringList args = arguments;
    if (!command.file.isEmpty()) {
        const qsizetype at = args.lastIndexOf(command.file);
        if (at >= 0) {
            args[at] = QFileInfo(command.file).absoluteFilePath();
        }
    }
    socket.write(
        protocol::Line({{"command", "run"}, {"args", QJsonArray::fromStringList(args)}}, 1));

    std::optional<Session::Outcome> outcome;
    QByteArray buffer;
    bool cancelSent = false;
    QEventLoop loop;
    const auto take = [&] {
        buffer += socket.readAll();
        qsizetype end;
        while (!outcome && (end = buffer.indexOf('\n')) >= 0) {
            const QJsonObject line = QJsonDocument::fromJson(buffer.left(end)).object();
            buffer.remove(0, end + 1);
            if (line.contains(QLatin1String("progress"))) {
                console_.Progress(line.value(QLatin1String("progress")).toString());
            } else if (line.contains(QLatin1String("error"))) {
                outcome = Session::Outcome{
                    static_cast<ExitStatus>(line.value(QLatin1String("status")).toInt(2)),
                    QStringLiteral("the line's owner refused: %1")
                        .arg(line.value(QLatin1String("error")).toString()),
                    {}};
            } else if (line.contains(QLatin1String("status")) &&
                       line.value(QLatin1String("id")).toInteger() == 1) {
                outcome = Session::Outcome{
                    static_cast<ExitStatus>(line.value(QLatin1String("status")).toInt()),
                    line.value(QLatin1String("message")).toString(),
                    line.value(QLatin1String("result")).toObject()};
            }
        }
        if (outcome) {
            loop.quit();
        }
    };
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop, take);
    QObject::connect(&socket, &QLocalSocket::disconnected, &loop, [&] {
        take();
        loop.quit();
    });
    QTimer check;
    check.setInterval(5);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        const int count = interrupted_ ? interrupted_() : 0;
        if (count == 1 && !cancelSent) {
            // The owner ends the run as the window's Cancel does and still
            // says what it did.
            cancelSent = true;
            socket.write(protocol::Line({{"command", "cancel"}}, 2));
        } else if (count > 1) {
            loop.quit();
        }
    });
    check.start();
    take();
    if (!outcome && socket.state() == QLocalSocket::ConnectedState) {
        loop.exec();
    }
    if (!outcome) {
        return interrupted_ && interrupted_() > 1
                   ? Session::Outcome{ExitStatus::NotTaken, QStringLiteral("interrupted"), {}}
                   : Failed(QStringLiteral("the program that owns port %1 went away").arg(port));
    }
    return outcome;
}

} // namespace quadrel::ctl
