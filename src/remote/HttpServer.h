#pragma once

#include "remote/HttpRequest.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QTcpServer;
class QTcpSocket;

namespace quadrel::remote {

// The connections of the HTTP API: accepted within a count, read with the
// strict reader, one request at a time each, answered, kept alive or let
// go. It keeps its limits on its own (sizes, counts, idle time, what may
// wait unread), so whoever answers need not: a client that breaks one gets
// a clear 4xx and is closed, and nothing of it reaches the handler.
class HttpServer : public QObject {
    Q_OBJECT
public:
    struct Limits {
        HttpReader::Limits request;
        int maxConnections = 256;
        // Silence allowed between requests, and the longest a request may
        // take to arrive once begun.
        int idleMs = 15000;
        int requestMs = 10000;
        // Past this, a client that does not read is let go.
        qint64 maxUnread = 1 << 20;
    };
    using Headers = std::vector<std::pair<QByteArray, QByteArray>>;
    struct Exchange {
        quint64 connection = 0;
        HttpRequest request;
        QHostAddress peer;
    };
    using Handler = std::function<void(const Exchange&)>;

    explicit HttpServer(Limits limits, QObject* parent = nullptr);
    ~HttpServer() override;

    // Listens on `address`:`port`, over TLS when `tls` is given. False, with
    // the reason, when it cannot.
    bool Listen(const QHostAddress& address, quint16 port,
                const std::optional<QSslConfiguration>& tls, QString& reason);
    void Close();
    // For the next Listen.
    void setLimits(const Limits& limits) { limits_ = limits; }
    bool listening() const;
    quint16 port() const;
    int connectionCount() const { return static_cast<int>(connections_.size()); }

    // Told of each complete request; the answer may come later.
    void setHandler(Handler handler) { handler_ = std::move(handler); }
    // Answers the connection's request: a JSON body, or any other.
    void Respond(quint64 connection, int status, const QByteArray& body,
                 const Headers& headers = {},
                 const QByteArray& type = QByteArrayLiteral("application/json"));
    // Answers with an event stream and keeps the connection for `Stream`.
    void StartStream(quint64 connection, const Headers& headers);
    void Stream(quint64 connection, const QByteArray& bytes);
    bool alive(quint64 connection) const { return connections_.count(connection) != 0; }

    static QByteArray Reason(int status);

signals:
    // A connection went (closed by either end): its stream ends with it.
    void Closed(quint64 connection);

private:
    struct Connection;
    void Accept();
    void Read(quint64 id);
    void Next(quint64 id);
    void Expire(quint64 id);
    void Drop(quint64 id);
    bool Write(Connection& c, const QByteArray& bytes);
    // Makes room for a new client by letting the longest idle one go.
    bool MakeRoom();

    Limits limits_;
    std::unique_ptr<QTcpServer> server_;
    std::map<quint64, std::unique_ptr<Connection>> connections_;
    quint64 nextId_ = 1;
    Handler handler_;
};

} // namespace quadrel::remote
