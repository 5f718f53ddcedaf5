#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace quadrel::remote {

// One HTTP/1.1 request as read off a connection.
struct HttpRequest {
    QByteArray method;
    QByteArray target;                                      // as sent: path and query
    QStringList segments;                                   // the path's parts, percent-decoded
    QByteArray query;                                       // after '?', undecoded
    std::vector<std::pair<QByteArray, QByteArray>> headers; // names in lower case
    QByteArray body;
    bool keepAlive = true;

    // The first header of that name (lower case), or empty.
    QByteArray header(const QByteArray& name) const;
};

// A strict reader of HTTP/1.1 requests: only what a controller, a browser
// or curl sends, within limits, and nothing that two readers could take in
// two ways (folded headers, chunked bodies, two lengths). It reads from the
// connection's buffer and leaves what follows a request for the next one.
class HttpReader {
public:
    struct Limits {
        int maxLine = 8 * 1024; // the request line, and each header
        int maxHeaders = 64;
        int maxHeaderBytes = 32 * 1024; // all headers together
        qint64 maxBody = 64 * 1024;
    };
    enum class State { Partial, Complete, Bad };

    explicit HttpReader(Limits limits) : limits_(limits) {}

    // Takes what it can from `buffer`. Complete: `request()` holds one;
    // Bad: `status()` and `reason()` say why, and the connection must close.
    State Feed(QByteArray& buffer);
    HttpRequest take();
    int status() const { return status_; }
    const QString& reason() const { return reason_; }
    // Whether a request has begun and not yet completed.
    bool started() const { return stage_ != Stage::Line || !request_.method.isEmpty(); }

    // "/api/v1/units/3" to its parts; false for a path that is not plain
    // (dot segments, encoded slashes or NULs, bad escapes).
    static bool SplitPath(const QByteArray& path, QStringList& segments);

private:
    enum class Stage { Line, Headers, Body };
    State Fail(int status, const QString& reason);
    bool TakeLine(const QByteArray& line);
    bool TakeHeader(const QByteArray& line);
    bool HeadersDone();

    Limits limits_;
    Stage stage_ = Stage::Line;
    HttpRequest request_;
    qint64 bodyLength_ = 0;
    int headerBytes_ = 0;
    int status_ = 0;
    QString reason_;
};

} // namespace quadrel::remote
