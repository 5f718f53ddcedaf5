#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

namespace quadrel::service {

// The local socket on which the line's owner serves its port to other
// programs of the same user. One JSON object a line, each way:
//
//   {"quadrel": 1, "id": 7, "command": "hello"}
//   {"quadrel": 1, "id": 8, "command": "run", "args": ["route", "1", "3", "2"]}
//   {"quadrel": 1, "id": 9, "command": "subscribe"}
//
// Every answer carries the request's "id". A run answers with "progress"
// lines, then one line with "status" (quadrel-ctl's exit status), "message"
// and "result" (what quadrel-ctl prints); a subscription with "event" lines
// until the client goes or unsubscribes. A request that cannot be taken gets
// "error" and a status; one that breaks the framing or the limits ends the
// connection after that answer.
namespace protocol {

constexpr int kVersion = 1;
// Longest request line, in bytes, its line break included.
constexpr qsizetype kMaxRequest = 64 * 1024;
// Clients connected at once; the next is told so and let go.
constexpr int kMaxClients = 64;
// Runs waiting for the line; each client has at most one.
constexpr int kMaxQueuedRuns = 32;
// Arguments of a run, and the length of each.
constexpr int kMaxArguments = 64;
constexpr int kMaxArgumentLength = 4096;
// What may wait to be written to a client that does not read: past it, the
// client is let go rather than the owner's memory grow.
constexpr qint64 kMaxUnread = 1024 * 1024;
// A client that has said nothing for this long, with no run and no
// subscription, is let go.
constexpr int kIdleMs = 30000;

// The socket of port `port`: "quadrel-com<port>" in the folder "quadrel" of
// $XDG_RUNTIME_DIR (or Qt's runtime folder), which only the user may enter.
QString SocketPath(int port);
// Makes the folder, owner-only; false with the reason when it cannot be.
bool MakeSocketFolder(QString& reason);

// A request as read from a line, or why it is not one.
struct Request {
    qint64 id = 0;
    QString command;
    QStringList args;
};
struct Parsed {
    std::optional<Request> request;
    QString error;     // when there is no request
    qint64 id = 0;     // the id, when it could be read, for the error's answer
    bool json = false; // the line was JSON, whatever its shape
};
Parsed ParseRequest(const QByteArray& line);

// The line of an answer: `object` with the version and the request's id;
// an event has none.
QByteArray Line(QJsonObject object, std::optional<qint64> id);

} // namespace protocol

} // namespace quadrel::service
