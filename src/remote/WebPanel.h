#pragma once

#include "remote/HttpServer.h"
#include "remote/WebSessions.h"

#include <QObject>
#include <QThreadPool>

namespace quadrel {
class basQRD;
namespace service {
class LineService;
}
} // namespace quadrel

namespace quadrel::remote {

class ApiServer;
class Gatekeeper;

// The staff's web panel beside the API: its files at "/", the login that
// turns a PIN or the password into a session cookie at "/session", and the
// API's routes for a page that shows that cookie instead of a token. A
// change from the page must carry the session's second secret and come
// from the panel's own origin, so another site cannot make a logged-in
// browser drive the line.
class WebPanel : public QObject {
    Q_OBJECT
public:
    // `namesFile`: the operator's names of units and ports, read as asked.
    WebPanel(ApiServer& api, Gatekeeper& gate, const service::LineService& service,
             const basQRD& model, QString rolesFile, QString namesFile, QObject* parent = nullptr);
    ~WebPanel() override;

    // The cookie says Secure when the panel is served over HTTPS.
    void setSecure(bool secure) { secure_ = secure; }
    WebSessions& sessions() { return sessions_; }

    static constexpr const char* kCookie = "quadrel_session";
    static constexpr const char* kCsrfHeader = "x-quadrel-csrf";
    // Logins being checked at once; more wait for a free turn as refusals.
    static constexpr int kMostVerifying = 4;

private:
    bool Take(const HttpServer::Exchange& e);
    void Session(const HttpServer::Exchange& e);
    void Login(const HttpServer::Exchange& e);
    void Api(const HttpServer::Exchange& e, const WebSessions::Session& session);
    // Whether a request that changes something comes from the panel's own page.
    bool SameSite(const HttpServer::Exchange& e) const;
    void Json(quint64 connection, int status, const QJsonObject& body,
              HttpServer::Headers headers = {});
    QByteArray CookieHeader(const QByteArray& value, int maxAge) const;
    static QByteArray CookieOf(const HttpServer::Exchange& e);

    ApiServer& api_;
    Gatekeeper& gate_;
    const service::LineService& service_;
    const basQRD& model_;
    QString namesFile_;
    WebSessions sessions_;
    bool secure_ = false;
    int verifying_ = 0;
    // Where the slow hash of a login runs.
    QThreadPool pool_;
};

} // namespace quadrel::remote
