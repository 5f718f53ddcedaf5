#pragma once

#include "remote/Gatekeeper.h"
#include "remote/HttpServer.h"

#include <QObject>
#include <QSslConfiguration>
#include <QStringList>

#include <functional>
#include <optional>
#include <set>
#include <vector>

namespace quadrel {
class basQRD;
namespace service {
class LineService;
}
} // namespace quadrel

namespace quadrel::remote {

// The HTTP/JSON API under /api/v1: units and their live state read from the
// model, changes run through the owner's service on the one change path
// and answered after the unit's read-back, and an event stream of every
// change. Each request shows a token; the caller's role is checked at the
// door, before anything becomes a change.
class ApiServer : public QObject {
    Q_OBJECT
public:
    struct Config {
        QHostAddress address = QHostAddress::LocalHost;
        quint16 port = 0;
        std::optional<QSslConfiguration> tls;
        QStringList origins; // allowed to call from a browser
        HttpServer::Limits limits;
    };
    ApiServer(service::LineService& service, const basQRD& model, Gatekeeper& gate,
              QObject* parent = nullptr);
    ~ApiServer() override;

    bool Listen(const Config& config, QString& reason);
    void Close();
    bool listening() const { return http_.listening(); }
    quint16 port() const { return http_.port(); }
    int connectionCount() const { return http_.connectionCount(); }
    int streamCount() const { return static_cast<int>(streams_.size()); }

    // Another part served beside the API (a web panel's files and login):
    // asked first for every request whose path begins with `prefix`; true
    // when it has answered or will answer through `http()`.
    using Route = std::function<bool(const HttpServer::Exchange&)>;
    void AddRoute(const QString& prefix, Route route);
    HttpServer& http() { return http_; }
    // Serves an API request for a caller another part has let in (the web
    // panel's session), as if it had shown a token of that role.
    void ServeAs(const HttpServer::Exchange& exchange, const Caller& caller);

private:
    void Take(const HttpServer::Exchange& exchange);
    void Authorised(const HttpServer::Exchange& exchange);
    void Serve(const HttpServer::Exchange& exchange, const Caller& caller);
    void Change(const HttpServer::Exchange& exchange, const Caller& caller);
    void Answer(quint64 connection, int status, const QJsonObject& body);
    void Publish(const QJsonObject& event);
    HttpServer::Headers CorsHeaders(const HttpServer::Exchange& exchange) const;

    service::LineService& service_;
    const basQRD& model_;
    Gatekeeper& gate_;
    HttpServer http_;
    QStringList origins_;
    std::set<quint64> streams_;
    std::vector<std::pair<QString, Route>> routes_;
    // The origin of each connection's request in progress, for its answer.
    std::map<quint64, QByteArray> origin_;
    // The run each connection waits for; withdrawn when it goes.
    std::map<quint64, QObject*> runs_;
};

} // namespace quadrel::remote
