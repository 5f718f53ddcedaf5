#include "remote/HttpServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>

namespace quadrel::remote {

namespace {

QByteArray ErrorBody(const QString& error) {
    return QJsonDocument(QJsonObject{{"error", error}}).toJson(QJsonDocument::Compact);
}

} // namespace

struct HttpServer::Connection {
    explicit Connection(const HttpReader::Limits& limits) : reader(limits) {}
    QPointer<QTcpSocket> socket;
    QByteArray buffer;
    HttpReader reader;
    QTimer idle;
    QElapsedTimer requestAge; // since the first byte of the request being read
    QElapsedTimer lastSeen;
    bool busy = false;   // a request is with the handler
    bool stream = false; // an event stream: written to until it goes
    bool keepAlive = true;
};

HttpServer::HttpServer(Limits limits, QObject* parent) : QObject(parent), limits_(limits) {}

HttpServer::~HttpServer() {
    Close();
}

QByteArray HttpServer::Reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 409:
        return "Conflict";
    case 413:
        return "Content Too Large";
    case 414:
        return "URI Too Long";
    case 415:
        return "Unsupported Media Type";
    case 422:
        return "Unprocessable Content";
    case 429:
        return "Too Many Requests";
    case 431:
        return "Request Header Fields Too Large";
    case 501:
        return "Not Implemented";
    case 503:
        return "Service Unavailable";
    case 504:
        return "Gateway Timeout";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return status < 500 ? "Client Error" : "Server Error";
    }
}

bool HttpServer::Listen(const QHostAddress& address, quint16 port,
                        const std::optional<QSslConfiguration>& tls, QString& reason) {
    Close();
    if (tls) {
        auto ssl = std::make_unique<QSslServer>();
        ssl->setSslConfiguration(*tls);
        ssl->setHandshakeTimeout(limits_.requestMs);
        server_ = std::move(ssl);
    } else {
        server_ = std::make_unique<QTcpServer>();
    }
    server_->setMaxPendingConnections(64);
    connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, &HttpServer::Accept);
    if (!server_->listen(address, port)) {
        reason = server_->errorString();
        server_.reset();
        return false;
    }
    return true;
}

void HttpServer::Close() {
    for (auto& [id, c] : connections_) {
        if (c->socket) {
            c->socket->disconnect(this);
            c->socket->abort();
            c->socket->deleteLater();
        }
    }
    connections_.clear();
    server_.reset();
}

bool HttpServer::listening() const {
    return server_ && server_->isListening();
}

quint16 HttpServer::port() const {
    return server_ ? server_->serverPort() : 0;
}

bool HttpServer::MakeRoom() {
    Connection* oldest = nullptr;
    quint64 oldestId = 0;
    for (auto& [id, c] : connections_) {
        if (!c->busy && !c->stream && c->buffer.isEmpty() &&
            (oldest == nullptr || c->lastSeen.elapsed() > oldest->lastSeen.elapsed())) {
            oldest = c.get();
            oldestId = id;
        }
    }
    if (oldest == nullptr) {
        return false;
    }
    Drop(oldestId);
    return true;
}

void HttpServer::Accept() {
    while (server_ && server_->hasPendingConnections()) {
        QTcpSocket* socket = server_->nextPendingConnection();
        if (socket == nullptr) {
            break;
        }
        // Idle clients give way to new ones; busy ones are not cut off.
        if (static_cast<int>(connections_.size()) >= limits_.maxConnections && !MakeRoom()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const quint64 id = nextId_++;
        auto c = std::make_unique<Connection>(limits_.request);
        c->socket = socket;
        c->lastSeen.start();
        c->idle.setSingleShot(true);
        c->idle.setInterval(limits_.idleMs);
        connect(&c->idle, &QTimer::timeout, this, [this, id] { Expire(id); });
        c->idle.start();
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { Read(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { Drop(id); });
        connections_.emplace(id, std::move(c));
    }
}

void HttpServer::Expire(quint64 id) {
    const auto it = connections_.find(id);
    if (it == connections_.end()) {
        return;
    }
    Connection& c = *it->second;
    if (c.stream) {
        // A comment line keeps proxies from closing the stream and finds a
        // client that went without a word.
        Write(c, QByteArrayLiteral(": still here\n\n"));
        if (alive(id)) {
            c.idle.start();
        }
        return;
    }
    if (c.busy) {
        c.idle.start(); // its answer waits for the line
        return;
    }
    if (c.reader.started()) {
        Respond(id, 408, R"({"error":"the request took too long to arrive"})", {});
        return;
    }
    Drop(id);
}

void HttpServer::Read(quint64 id) {
    const auto it = connections_.find(id);
    if (it == connections_.end()) {
        return;
    }
    Connection& c = *it->second;
    c.lastSeen.start();
    if (!c.reader.started() && c.buffer.isEmpty()) {
        c.requestAge.start();
    }
    // Nothing past the limits is held: what is more than a whole request
    // and its body can be is refused below.
    const qint64 room = limits_.request.maxHeaderBytes + limits_.request.maxLine +
                        limits_.request.maxBody + 4096 - c.buffer.size();
    c.buffer += c.socket->read(std::max<qint64>(room, 1));
    if (c.stream || c.busy) {
        if (c.buffer.size() > room) {
            Drop(id); // pipelining past any reason
        }
        return;
    }
    c.idle.start();
    Next(id);
}

void HttpServer::Next(quint64 id) {
    const auto it = connections_.find(id);
    if (it == connections_.end()) {
        return;
    }
    Connection& c = *it->second;
    if (c.busy || c.stream || c.buffer.isEmpty()) {
        return;
    }
    const HttpReader::State state = c.reader.Feed(c.buffer);
    if (state == HttpReader::State::Bad) {
        c.keepAlive = false;
        Respond(id, c.reader.status(), ErrorBody(c.reader.reason()), {});
        return;
    }
    if (state == HttpReader::State::Partial) {
        if (c.requestAge.isValid() && c.requestAge.elapsed() > limits_.requestMs) {
            c.keepAlive = false;
            Respond(id, 408, R"({"error":"the request took too long to arrive"})", {});
        }
        return;
    }
    Exchange exchange{id, c.reader.take(), c.socket->peerAddress()};
    c.keepAlive = exchange.request.keepAlive;
    c.busy = true;
    c.requestAge.start();
    if (handler_) {
        handler_(exchange);
    }
}

bool HttpServer::Write(Connection& c, const QByteArray& bytes) {
    if (!c.socket || c.socket->state() != QAbstractSocket::ConnectedState) {
        return false;
    }
    if (c.socket->bytesToWrite() + bytes.size() > limits_.maxUnread) {
        // At the next turn: the caller may be walking the connections.
        QMetaObject::invokeMethod(c.socket, &QTcpSocket::abort, Qt::QueuedConnection);
        return false;
    }
    c.socket->write(bytes);
    return true;
}

void HttpServer::Respond(quint64 id, int status, const QByteArray& body, const Headers& headers,
                         const QByteArray& type) {
    const auto it = connections_.find(id);
    if (it == connections_.end()) {
        return;
    }
    Connection& c = *it->second;
    if (status >= 400 && status != 401 && status != 403 && status != 404 && status != 405 &&
        status != 409 && status != 422 && status != 503 && status != 504) {
        c.keepAlive = false; // the framing may be broken: nothing more is read
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + Reason(status) + "\r\n";
    head += "Content-Type: " + type + "\r\n";
    head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    head += "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n";
    for (const auto& [name, value] : headers) {
        head += name + ": " + value + "\r\n";
    }
    head += c.keepAlive ? "\r\n" : "Connection: close\r\n\r\n";
    const bool written = Write(c, head + body);
    c.busy = false;
    if (!written) {
        return;
    }
    if (!c.keepAlive) {
        c.socket->disconnectFromHost();
        return;
    }
    c.idle.start();
    // A request that came behind this one is taken at the next turn.
    QMetaObject::invokeMethod(
        this, [this, id] { Next(id); }, Qt::QueuedConnection);
}

void HttpServer::StartStream(quint64 id, const Headers& headers) {
    const auto it = connections_.find(id);
    if (it == connections_.end()) {
        return;
    }
    Connection& c = *it->second;
    QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\n"
                      "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n";
    for (const auto& [name, value] : headers) {
        head += name + ": " + value + "\r\n";
    }
    head += "Connection: keep-alive\r\n\r\n";
    c.stream = true;
    c.busy = false;
    Write(c, head);
}

void HttpServer::Stream(quint64 id, const QByteArray& bytes) {
    const auto it = connections_.find(id);
    if (it != connections_.end() && it->second->stream) {
        Write(*it->second, bytes);
    }
}

void HttpServer::Drop(quint64 id) {
    const auto it = connections_.find(id);
    if (it == connections_.end()) {
        return;
    }
    std::unique_ptr<Connection> c = std::move(it->second);
    connections_.erase(it);
    if (c->socket) {
        c->socket->disconnect(this);
        c->socket->abort();
        c->socket->deleteLater();
    }
    emit Closed(id);
}

} // namespace quadrel::remote
