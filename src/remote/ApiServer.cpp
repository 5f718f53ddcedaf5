#include "remote/ApiServer.h"

#include "ctl/ExitStatus.h"
#include "model/basQRD.h"
#include "remote/Door.h"
#include "remote/ModelView.h"
#include "service/LineService.h"

#include <QJsonDocument>
#include <QTimer>

namespace quadrel::remote {

namespace {

QByteArray Json(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QJsonObject Error(const QString& error) {
    return {{"error", error}};
}

} // namespace

ApiServer::ApiServer(service::LineService& service, const basQRD& model, Gatekeeper& gate,
                     QObject* parent)
    : QObject(parent), service_(service), model_(model), gate_(gate),
      http_(HttpServer::Limits{}, this) {
    http_.setHandler([this](const HttpServer::Exchange& e) { Take(e); });
    connect(&http_, &HttpServer::Closed, this, [this](quint64 id) {
        origin_.erase(id);
        if (streams_.erase(id) != 0) {
            service_.RemoveListener();
        }
        const auto run = runs_.find(id);
        if (run != runs_.end()) {
            service_.Withdraw(run->second);
            run->second->deleteLater();
            runs_.erase(run);
        }
    });
    connect(&service_, &service::LineService::Event, this, &ApiServer::Publish);
}

ApiServer::~ApiServer() {
    Close();
}

bool ApiServer::Listen(const Config& config, QString& reason) {
    Close();
    origins_ = config.origins;
    http_.setLimits(config.limits);
    return http_.Listen(config.address, config.port, config.tls, reason);
}

void ApiServer::Close() {
    http_.Close();
}

void ApiServer::AddRoute(const QString& prefix, Route route) {
    routes_.emplace_back(prefix, std::move(route));
}

HttpServer::Headers ApiServer::CorsHeaders(const HttpServer::Exchange& e) const {
    const QByteArray origin = e.request.header("origin");
    if (origin.isEmpty() || !origins_.contains(QString::fromLatin1(origin))) {
        return {};
    }
    return {{"Access-Control-Allow-Origin", origin}, {"Vary", "Origin"}};
}

void ApiServer::Answer(quint64 connection, int status, const QJsonObject& body) {
    HttpServer::Headers headers;
    const auto origin = origin_.find(connection);
    if (origin != origin_.end() && !origin->second.isEmpty()) {
        headers = {{"Access-Control-Allow-Origin", origin->second}, {"Vary", "Origin"}};
    }
    if (status == 401) {
        headers.emplace_back("WWW-Authenticate", "Bearer realm=\"quadrel\"");
    }
    http_.Respond(connection, status, Json(body), headers);
}

void ApiServer::Take(const HttpServer::Exchange& e) {
    const QString path = QLatin1Char('/') + e.request.segments.join(QLatin1Char('/'));
    for (const auto& [prefix, route] : routes_) {
        if (path.startsWith(prefix) && route(e)) {
            return;
        }
    }
    const QByteArray origin = e.request.header("origin");
    const HttpServer::Headers cors = CorsHeaders(e);
    // A page of another site may not drive the line through the browser
    // of someone on this network, unless the technician named it.
    if (!origin.isEmpty() && cors.empty()) {
        origin_.erase(e.connection);
        Answer(e.connection, 403,
               Error(QStringLiteral("requests from %1 are not allowed")
                         .arg(QString::fromLatin1(origin.left(128)))));
        return;
    }
    origin_[e.connection] = cors.empty() ? QByteArray() : origin;
    if (e.request.method == "OPTIONS") {
        HttpServer::Headers headers = cors;
        headers.emplace_back("Access-Control-Allow-Methods", "GET, POST");
        headers.emplace_back("Access-Control-Allow-Headers", "Authorization, Content-Type");
        headers.emplace_back("Access-Control-Max-Age", "600");
        http_.Respond(e.connection, 204, {}, headers);
        return;
    }
    if (e.request.segments.size() < 2 || e.request.segments[0] != u"api" ||
        e.request.segments[1] != u"v1") {
        Answer(e.connection, 404, Error(QStringLiteral("no such resource")));
        return;
    }
    // Someone guessing waits before even this request is looked at.
    const int delay = gate_.DelayMs(e.peer);
    if (delay > 0) {
        QTimer::singleShot(delay, this, [this, e] {
            if (http_.alive(e.connection)) {
                Authorised(e);
            }
        });
        return;
    }
    Authorised(e);
}

void ApiServer::Authorised(const HttpServer::Exchange& e) {
    const auto caller = gate_.Check(e.request.header("authorization"));
    if (!caller) {
        gate_.Failed(e.peer);
        Answer(e.connection, 401, Error(QStringLiteral("a valid token is needed")));
        return;
    }
    Serve(e, *caller);
}

void ApiServer::ServeAs(const HttpServer::Exchange& e, const Caller& caller) {
    origin_.erase(e.connection);
    if (e.request.segments.size() < 2 || e.request.segments[1] != u"v1") {
        Answer(e.connection, 404, Error(QStringLiteral("no such resource")));
        return;
    }
    Serve(e, caller);
}

void ApiServer::Serve(const HttpServer::Exchange& e, const Caller& caller) {
    const QStringList s = e.request.segments.mid(2);
    const QByteArray& method = e.request.method;
    const bool read = s.isEmpty() || (s.size() <= 2 && (s[0] == u"units" || s[0] == u"scenes")) ||
                      (s.size() == 1 && s[0] == u"events");
    if (read && method != "GET") {
        http_.Respond(e.connection, 405, Json(Error(QStringLiteral("only GET here"))),
                      {{"Allow", "GET"}});
        return;
    }
    if (!read && method != "POST") {
        http_.Respond(e.connection, 405, Json(Error(QStringLiteral("only POST here"))),
                      {{"Allow", "POST"}});
        return;
    }
    if (!read) {
        Change(e, caller);
        return;
    }
    if (s.isEmpty()) {
        Answer(e.connection, 200,
               {{"api", 1},
                {"port", service_.port()},
                {"role", caller.role == Role::Technician ? "technician" : "staff"}});
    } else if (s[0] == u"events") {
        streams_.insert(e.connection);
        service_.AddListener();
        HttpServer::Headers headers;
        if (!origin_[e.connection].isEmpty()) {
            headers = {{"Access-Control-Allow-Origin", origin_[e.connection]}, {"Vary", "Origin"}};
        }
        http_.StartStream(e.connection, headers);
        http_.Stream(e.connection, ": subscribed\n\n");
    } else if (s[0] == u"units" && s.size() == 1) {
        Answer(e.connection, 200, ModelView::Units(model_, service_.port(), service_.baud()));
    } else if (s[0] == u"units") {
        bool ok = false;
        const int id = s[1].toInt(&ok, 10);
        const auto unit = ok ? ModelView::Unit(model_, id) : std::nullopt;
        if (!unit) {
            Answer(e.connection, 404,
                   Error(QStringLiteral("no unit %1 on the line").arg(s[1].left(16))));
        } else {
            Answer(e.connection, 200, *unit);
        }
    } else {
        Change(e, caller); // the scenes file, as quadrel-ctl lists or shows it
    }
}

void ApiServer::Change(const HttpServer::Exchange& e, const Caller& caller) {
    const QStringList s = e.request.segments.mid(2);
    Asked asked;
    if (e.request.method == "GET") {
        // The scenes file only: no line needed.
        auto command = std::make_shared<ctl::CtlCommand>();
        QString error;
        ctl::CtlCommand::Parse(s.size() == 1 ? QStringList{"scene", "list"}
                                             : QStringList{"scene", "show", s[1]},
                               *command, error);
        asked = {command, 0, 200, {}};
    } else {
        const QByteArray type = e.request.header("content-type");
        if (!e.request.body.isEmpty() && !type.startsWith("application/json")) {
            Answer(e.connection, 415, Error(QStringLiteral("bodies are application/json")));
            return;
        }
        asked = Door::FromHttp(s, e.request.body);
    }
    if (asked) {
        asked = Door::Admit(caller.role, caller.staff, asked.command);
    }
    if (!asked) {
        Answer(e.connection, asked.http, {{"status", asked.status}, {"error", asked.error}});
        return;
    }
    auto* asker = new QObject(this);
    runs_[e.connection] = asker;
    const quint64 id = e.connection;
    QString refusal;
    const bool queued = service_.Submit(
        asked.command, asker,
        [this, id, asker](const ctl::Session::Outcome& out) {
            runs_.erase(id);
            asker->deleteLater();
            const int status = ctl::Code(out.status);
            Answer(id, Door::HttpStatus(status),
                   {{"status", status}, {"message", out.message}, {"result", out.result}});
        },
        refusal);
    if (!queued) {
        runs_.erase(id);
        asker->deleteLater();
        Answer(id, 503, Error(refusal));
    }
}

void ApiServer::Publish(const QJsonObject& event) {
    if (streams_.empty()) {
        return;
    }
    const QByteArray bytes =
        "event: " + event.value("event").toString().toUtf8() + "\ndata: " + Json(event) + "\n\n";
    for (quint64 id : std::vector<quint64>(streams_.begin(), streams_.end())) {
        http_.Stream(id, bytes);
    }
}

} // namespace quadrel::remote
