#pragma once

// A small blocking client of a WebDriver server (chromedriver): W3C
// WebDriver is HTTP and JSON, so Qt's network classes are all it needs.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

#include <chrono>
#include <memory>

class QNetworkAccessManager;

namespace quadrel::test {

class WebDriver {
public:
    struct Reply {
        int status = 0;
        QJsonValue value;
        bool ok() const { return status == 200; }
    };

    ~WebDriver();

    // Starts chromedriver on a free loopback port and a headless Chromium
    // session with its console kept; false, with the reason, when either
    // will not start.
    bool Start(QString& reason);
    void Stop();

    Reply Call(const QByteArray& method, const QString& path, const QJsonObject& body = {},
               std::chrono::milliseconds limit = std::chrono::seconds(30));
    // The same under this session: "/url" is "/session/<id>/url".
    Reply Session(const QByteArray& method, const QString& path, const QJsonObject& body = {});

    bool Go(const QString& url);
    // The element's reference, or empty when none matches.
    QString Find(const QString& css);
    bool Click(const QString& css);
    bool Type(const QString& css, const QString& text);
    QJsonValue Run(const QString& script, const QJsonArray& args = {});
    // The page's viewport as a phone or a tablet shows it.
    bool Viewport(int width, int height, bool mobile);
    QByteArray Screenshot();
    // The console's entries since the last call: {level, message}.
    QJsonArray Console();

private:
    QProcess driver_;
    std::unique_ptr<QNetworkAccessManager> net_;
    QString base_;
    QString session_;
};

} // namespace quadrel::test
