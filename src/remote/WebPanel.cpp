#include "remote/WebPanel.h"

#include "model/NamesStore.h"
#include "remote/ApiServer.h"
#include "remote/Gatekeeper.h"
#include "remote/PanelView.h"
#include "remote/StaticFiles.h"
#include "service/LineService.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

namespace quadrel::remote {

namespace {

QString RoleName(Role role) {
    return role == Role::Technician ? QStringLiteral("technician") : QStringLiteral("staff");
}

} // namespace

WebPanel::WebPanel(ApiServer& api, Gatekeeper& gate, const service::LineService& service,
                   const basQRD& model, QString rolesFile, QString namesFile, QObject* parent)
    : QObject(parent), api_(api), gate_(gate), service_(service), model_(model),
      namesFile_(std::move(namesFile)), sessions_(std::move(rolesFile)) {
    pool_.setMaxThreadCount(kMostVerifying);
    api_.AddRoute(QStringLiteral("/"), [this](const HttpServer::Exchange& e) { return Take(e); });
}

WebPanel::~WebPanel() {
    pool_.waitForDone();
}

QByteArray WebPanel::CookieOf(const HttpServer::Exchange& e) {
    const QByteArray prefix = QByteArray(kCookie) + '=';
    for (const QByteArray& part : e.request.header("cookie").split(';')) {
        const QByteArray pair = part.trimmed();
        if (pair.startsWith(prefix)) {
            return pair.mid(prefix.size());
        }
    }
    return {};
}

QByteArray WebPanel::CookieHeader(const QByteArray& value, int maxAge) const {
    return QByteArray(kCookie) + '=' + value + "; Path=/; Max-Age=" + QByteArray::number(maxAge) +
           "; HttpOnly; SameSite=Strict" + (secure_ ? "; Secure" : "");
}

void WebPanel::Json(quint64 connection, int status, const QJsonObject& body,
                    HttpServer::Headers headers) {
    headers.emplace_back("Cache-Control", "no-store");
    api_.http().Respond(connection, status, QJsonDocument(body).toJson(QJsonDocument::Compact),
                        headers);
}

bool WebPanel::SameSite(const HttpServer::Exchange& e) const {
    const QByteArray site = e.request.header("sec-fetch-site");
    if (!site.isEmpty() && site != "same-origin") {
        return false;
    }
    const QByteArray origin = e.request.header("origin");
    const QByteArray host = e.request.header("host");
    return origin.isEmpty() ||
           (!host.isEmpty() && (origin == "http://" + host || origin == "https://" + host));
}

bool WebPanel::Take(const HttpServer::Exchange& e) {
    const QStringList& s = e.request.segments;
    if (!s.isEmpty() && s[0] == u"api") {
        // A client with a token goes to the API as it is; a page with our
        // cookie is served here.
        const QByteArray cookie = CookieOf(e);
        if (!e.request.header("authorization").isEmpty() || cookie.isEmpty()) {
            return false;
        }
        const auto session = sessions_.Find(cookie);
        if (!session) {
            Json(e.connection, 401, {{"error", "the session has ended; log in again"}});
            return true;
        }
        Api(e, *session);
        return true;
    }
    if (s.size() == 1 && s[0] == u"session") {
        Session(e);
        return true;
    }
    if (e.request.method != "GET" && e.request.method != "HEAD") {
        api_.http().Respond(e.connection, 405, "{\"error\":\"only GET here\"}", {{"Allow", "GET"}});
        return true;
    }
    const auto file = StaticFiles::Find(s);
    if (!file) {
        Json(e.connection, 404, {{"error", "no such resource"}});
        return true;
    }
    api_.http().Respond(e.connection, 200, e.request.method == "HEAD" ? QByteArray() : file->body,
                        {{"Content-Security-Policy", StaticFiles::SecurityPolicy()},
                         {"X-Content-Type-Options", "nosniff"},
                         {"X-Frame-Options", "DENY"},
                         {"Referrer-Policy", "no-referrer"},
                         {"Cache-Control", "no-cache"}},
                        file->type);
    return true;
}

void WebPanel::Api(const HttpServer::Exchange& e, const WebSessions::Session& session) {
    if (e.request.method != "GET" &&
        (!SameSite(e) || !WebSessions::Same(e.request.header(kCsrfHeader), session.csrf))) {
        Json(e.connection, 403, {{"error", "a change must come from the panel's own page"}});
        return;
    }
    Caller caller;
    caller.token = QStringLiteral("web panel (%1)").arg(RoleName(session.role));
    caller.role = session.role;
    caller.staff = gate_.Staff();
    api_.ServeAs(e, caller);
}

void WebPanel::Session(const HttpServer::Exchange& e) {
    const QByteArray cookie = CookieOf(e);
    if (e.request.method == "GET") {
        const auto session = sessions_.Find(cookie);
        if (!session) {
            // Not an error for the page that asks before its login shows.
            Json(e.connection, 200, {{"role", QJsonValue::Null}});
        } else {
            NamesStore names(namesFile_);
            names.Load();
            QJsonObject body =
                PanelView::Describe(session->role, gate_.Staff(), model_, service_.port(), names);
            body.insert("csrf", QString::fromLatin1(session->csrf));
            body.insert("line",
                        QJsonObject{{"port", service_.port()}, {"open", service_.lineOpen()}});
            Json(e.connection, 200, body);
        }
        return;
    }
    if (e.request.method == "DELETE") {
        const auto session = sessions_.Find(cookie);
        if (session &&
            (!SameSite(e) || !WebSessions::Same(e.request.header(kCsrfHeader), session->csrf))) {
            Json(e.connection, 403, {{"error", "a log out must come from the panel's own page"}});
            return;
        }
        sessions_.Logout(cookie);
        Json(e.connection, 200, {}, {{"Set-Cookie", CookieHeader("", 0)}});
        return;
    }
    if (e.request.method != "POST") {
        api_.http().Respond(e.connection, 405, "{\"error\":\"GET, POST or DELETE here\"}",
                            {{"Allow", "GET, POST, DELETE"}});
        return;
    }
    if (!SameSite(e)) {
        Json(e.connection, 403, {{"error", "log in from the panel's own page"}});
        return;
    }
    // Someone guessing waits, as a wrong token does, before this try is
    // even looked at.
    const int delay = gate_.DelayMs(e.peer);
    if (delay > 0) {
        QTimer::singleShot(delay, this, [this, e] {
            if (api_.http().alive(e.connection)) {
                Login(e);
            }
        });
        return;
    }
    Login(e);
}

void WebPanel::Login(const HttpServer::Exchange& e) {
    QJsonParseError parse{};
    const QJsonObject body = QJsonDocument::fromJson(e.request.body, &parse).object();
    const QJsonValue secret = body.value(QStringLiteral("secret"));
    if (parse.error != QJsonParseError::NoError || !secret.isString() || body.size() != 1 ||
        secret.toString().size() > 256) {
        Json(e.connection, 400, {{"error", "the body is {\"secret\": \"PIN or password\"}"}});
        return;
    }
    if (verifying_ >= kMostVerifying) {
        Json(e.connection, 503, {{"error", "busy; try again"}});
        return;
    }
    // The slow hash runs off the line's thread, so a login never holds up
    // the line's timers.
    ++verifying_;
    const QString file = sessions_.rolesFile();
    const QString text = secret.toString();
    pool_.start([this, file, text, e] {
        const std::optional<Role> role = WebSessions::Verify(file, text);
        // The panel outlives its pool's work; the answer runs on its thread.
        QMetaObject::invokeMethod(
            this,
            [this, role, e] {
                --verifying_;
                if (!api_.http().alive(e.connection)) {
                    return;
                }
                if (!role) {
                    gate_.Failed(e.peer);
                    Json(e.connection, 401, {{"error", "wrong PIN or password"}});
                    return;
                }
                const WebSessions::Opened opened = sessions_.Open(*role);
                const auto maxAge =
                    std::chrono::duration_cast<std::chrono::seconds>(WebSessions::kLongest);
                Json(e.connection, 200,
                     {{"role", RoleName(opened.role)}, {"csrf", QString::fromLatin1(opened.csrf)}},
                     {{"Set-Cookie",
                       CookieHeader(opened.cookie, static_cast<int>(maxAge.count()))}});
            },
            Qt::QueuedConnection);
    });
}

} // namespace quadrel::remote
