#pragma once

#include "remote/Gatekeeper.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QTimer>

#include <map>
#include <memory>
#include <optional>

class QTcpServer;
class QTcpSocket;

namespace quadrel {
class basQRD;
namespace service {
class LineService;
}
} // namespace quadrel

namespace quadrel::remote {

// The text protocol for controllers that speak lines: after "auth TOKEN",
// one quadrel-ctl command a line ("route 1 --input 2 --outputs 3"),
// answered "OK <result as JSON>" or "ERR <exit status> <message>";
// "show ID" from the model, "subscribe" for "EVENT <json>" lines of every
// change, "quit". Commands of a connection run one after another.
class TextServer : public QObject {
    Q_OBJECT
public:
    struct Limits {
        int maxLine = 4096;
        int maxConnections = 64;
        int loginMs = 10000;     // to show a token
        int idleMs = 10 * 60000; // between commands, unless subscribed
        int maxFailures = 3;     // wrong tokens before the connection is let go
        qint64 maxUnread = 1 << 20;
    };
    TextServer(service::LineService& service, const basQRD& model, Gatekeeper& gate,
               QObject* parent = nullptr);
    ~TextServer() override;

    bool Listen(const QHostAddress& address, quint16 port,
                const std::optional<QSslConfiguration>& tls, QString& reason);
    void Close();
    void setLimits(const Limits& limits) { limits_ = limits; }
    bool listening() const;
    quint16 port() const;
    int connectionCount() const { return static_cast<int>(clients_.size()); }

private:
    struct Client;
    void Accept();
    void Read(quint64 id);
    void Take(quint64 id, const QByteArray& line);
    void Login(quint64 id, const QByteArray& token);
    void Send(Client& c, const QByteArray& line);
    void Drop(quint64 id);
    void Publish(const QJsonObject& event);

    service::LineService& service_;
    const basQRD& model_;
    Gatekeeper& gate_;
    Limits limits_;
    std::unique_ptr<QTcpServer> server_;
    std::map<quint64, std::unique_ptr<Client>> clients_;
    quint64 nextId_ = 1;
    int listeners_ = 0;
};

} // namespace quadrel::remote
