#include "WebDriver.h"

#include "../e2e/Stamped.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTimer>

namespace quadrel::test {

namespace {

const QString kElement = QStringLiteral("element-6066-11e4-a52e-4f735466cecf");

} // namespace

WebDriver::~WebDriver() {
    Stop();
}

bool WebDriver::Start(QString& reason) {
    const QString driver = QStandardPaths::findExecutable(QStringLiteral("chromedriver"));
    QString browser;
    for (const char* name : {"chromium", "chromium-browser", "google-chrome"}) {
        browser = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!browser.isEmpty()) {
            break;
        }
    }
    if (driver.isEmpty() || browser.isEmpty()) {
        reason = QStringLiteral("chromium and chromium-driver are needed (scripts/deps.sh test)");
        return false;
    }
    net_ = std::make_unique<QNetworkAccessManager>();
    const int port = FreePort();
    base_ = QStringLiteral("http://127.0.0.1:%1").arg(port);
    driver_.setProcessChannelMode(QProcess::MergedChannels);
    driver_.start(driver, {QStringLiteral("--port=%1").arg(port)});
    if (!driver_.waitForStarted(10000) ||
        !WaitFor([&] { return Call("GET", "/status", {}, std::chrono::seconds(2)).ok(); },
                 std::chrono::seconds(20))) {
        reason =
            QStringLiteral("chromedriver did not start: ") + QString::fromUtf8(driver_.readAll());
        return false;
    }
    // As root (CI) Chromium runs only without its sandbox.
    const QJsonArray args = {"--headless=new", "--no-sandbox", "--disable-gpu",
                             "--disable-dev-shm-usage", "--no-first-run", "--disable-extensions",
                             "--window-size=1280,800",
                             // Over a pipe, not a port: nothing depends on the
                             // system resolving "localhost".
                             "--remote-debugging-pipe"};
    const QJsonObject caps{{"browserName", "chrome"},
                           {"goog:chromeOptions", QJsonObject{{"binary", browser}, {"args", args}}},
                           {"goog:loggingPrefs", QJsonObject{{"browser", "ALL"}}}};
    const Reply made =
        Call("POST", "/session", {{"capabilities", QJsonObject{{"alwaysMatch", caps}}}},
             std::chrono::seconds(60));
    session_ = made.value.toObject().value("sessionId").toString();
    if (session_.isEmpty()) {
        reason = QStringLiteral("no browser session: ") +
                 QString::fromUtf8(QJsonDocument(made.value.toObject()).toJson());
        return false;
    }
    return true;
}

void WebDriver::Stop() {
    if (!session_.isEmpty()) {
        Call("DELETE", "/session/" + session_);
        session_.clear();
    }
    SimProcess::End(driver_);
}

WebDriver::Reply WebDriver::Call(const QByteArray& method, const QString& path,
                                 const QJsonObject& body, std::chrono::milliseconds limit) {
    QNetworkRequest request(QUrl(base_ + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json; charset=utf-8");
    const QByteArray bytes =
        method == "POST" ? QJsonDocument(body).toJson(QJsonDocument::Compact) : QByteArray();
    QNetworkReply* reply = net_->sendCustomRequest(request, method, bytes);
    QEventLoop loop;
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) {
        loop.exec();
    }
    Reply out;
    if (reply->isFinished()) {
        out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        out.value = QJsonDocument::fromJson(reply->readAll()).object().value("value");
    } else {
        reply->abort();
    }
    reply->deleteLater();
    return out;
}

WebDriver::Reply WebDriver::Session(const QByteArray& method, const QString& path,
                                    const QJsonObject& body) {
    return Call(method, "/session/" + session_ + path, body);
}

bool WebDriver::Go(const QString& url) {
    return Session("POST", "/url", {{"url", url}}).ok();
}

QString WebDriver::Find(const QString& css) {
    const Reply r = Session("POST", "/element", {{"using", "css selector"}, {"value", css}});
    return r.ok() ? r.value.toObject().value(kElement).toString() : QString();
}

bool WebDriver::Click(const QString& css) {
    const QString element = Find(css);
    return !element.isEmpty() && Session("POST", "/element/" + element + "/click").ok();
}

bool WebDriver::Type(const QString& css, const QString& text) {
    const QString element = Find(css);
    return !element.isEmpty() &&
           Session("POST", "/element/" + element + "/value", {{"text", text}}).ok();
}

QJsonValue WebDriver::Run(const QString& script, const QJsonArray& args) {
    return Session("POST", "/execute/sync", {{"script", script}, {"args", args}}).value;
}

bool WebDriver::Viewport(int width, int height, bool mobile) {
    const QJsonObject metrics{
        {"width", width}, {"height", height}, {"deviceScaleFactor", 1}, {"mobile", mobile}};
    return Session("POST", "/goog/cdp/execute",
                   {{"cmd", "Emulation.setDeviceMetricsOverride"}, {"params", metrics}})
        .ok();
}

QByteArray WebDriver::Screenshot() {
    const Reply r = Session("GET", "/screenshot");
    return QByteArray::fromBase64(r.value.toString().toLatin1());
}

QJsonArray WebDriver::Console() {
    return Session("POST", "/se/log", {{"type", "browser"}}).value.toArray();
}

} // namespace quadrel::test
