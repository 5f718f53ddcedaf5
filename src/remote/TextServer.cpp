#include "remote/TextServer.h"

#include "ctl/ExitStatus.h"
#include "remote/Door.h"
#include "remote/ModelView.h"
#include "service/LineService.h"

#include <QJsonDocument>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>

namespace quadrel::remote {

namespace {

constexpr int kUsage = 2;

QByteArray Json(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray Err(int status, const QString& message) {
    QString text = message;
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return "ERR " + QByteArray::number(status) + ' ' + text.toUtf8() + '\n';
}

// Lets a socket go once what was written to it has left; one that does not
// read is cut off after a few seconds.
void Release(QTcpSocket* socket) {
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(5000, socket, &QTcpSocket::abort);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState) {
        socket->deleteLater();
    }
}

} // namespace

struct TextServer::Client {
    QPointer<QTcpSocket> socket;
    QByteArray buffer;
    QTimer idle;
    QHostAddress peer;
    std::optional<Caller> caller;
    int failures = 0;
    bool subscribed = false;
    bool running = false;  // a command is on the line; the next lines wait
    bool checking = false; // a token waits out its delay
    QObject asker;
};

TextServer::TextServer(service::LineService& service, const basQRD& model, Gatekeeper& gate,
                       QObject* parent)
    : QObject(parent), service_(service), model_(model), gate_(gate) {
    connect(&service_, &service::LineService::Event, this, &TextServer::Publish);
}

TextServer::~TextServer() {
    Close();
}

bool TextServer::Listen(const QHostAddress& address, quint16 port,
                        const std::optional<QSslConfiguration>& tls, QString& reason) {
    Close();
    if (tls) {
        auto ssl = std::make_unique<QSslServer>();
        ssl->setSslConfiguration(*tls);
        ssl->setHandshakeTimeout(limits_.loginMs);
        server_ = std::move(ssl);
    } else {
        server_ = std::make_unique<QTcpServer>();
    }
    connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, &TextServer::Accept);
    if (!server_->listen(address, port)) {
        reason = server_->errorString();
        server_.reset();
        return false;
    }
    return true;
}

void TextServer::Close() {
    while (!clients_.empty()) {
        Drop(clients_.begin()->first);
    }
    server_.reset();
}

bool TextServer::listening() const {
    return server_ && server_->isListening();
}

quint16 TextServer::port() const {
    return server_ ? server_->serverPort() : 0;
}

void TextServer::Accept() {
    while (server_ && server_->hasPendingConnections()) {
        QTcpSocket* socket = server_->nextPendingConnection();
        if (socket == nullptr) {
            break;
        }
        if (static_cast<int>(clients_.size()) >= limits_.maxConnections) {
            socket->write(Err(kUsage, QStringLiteral("too many connections")));
            Release(socket);
            continue;
        }
        const quint64 id = nextId_++;
        auto c = std::make_unique<Client>();
        c->socket = socket;
        c->peer = socket->peerAddress();
        c->idle.setSingleShot(true);
        c->idle.setInterval(limits_.loginMs);
        connect(&c->idle, &QTimer::timeout, this, [this, id] {
            const auto it = clients_.find(id);
            if (it == clients_.end()) {
                return;
            }
            if (it->second->subscribed || it->second->running) {
                it->second->idle.start();
                return;
            }
            Send(*it->second, Err(kUsage, QStringLiteral("nothing was asked for too long")));
            Drop(id);
        });
        c->idle.start();
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { Read(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { Drop(id); });
        clients_.emplace(id, std::move(c));
    }
}

void TextServer::Read(quint64 id) {
    auto it = clients_.find(id);
    if (it == clients_.end()) {
        return;
    }
    Client& c = *it->second;
    if (c.socket) {
        c.buffer += c.socket->read(limits_.maxLine * 4);
    }
    while (!c.running && !c.checking) {
        const qsizetype end = c.buffer.indexOf('\n');
        if (end < 0) {
            break;
        }
        QByteArray line = c.buffer.left(end);
        c.buffer.remove(0, end + 1);
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (line.size() > limits_.maxLine) {
            break;
        }
        c.idle.setInterval(c.caller ? limits_.idleMs : limits_.loginMs);
        c.idle.start();
        Take(id, line);
        if (clients_.find(id) == clients_.end()) {
            return; // let go while its line was taken
        }
    }
    if (c.buffer.size() > limits_.maxLine * 4 ||
        (c.buffer.indexOf('\n') < 0 && c.buffer.size() > limits_.maxLine)) {
        Send(c, Err(kUsage, QStringLiteral("a line is at most %1 bytes").arg(limits_.maxLine)));
        Drop(id);
    }
}

void TextServer::Login(quint64 id, const QByteArray& token) {
    const auto it = clients_.find(id);
    if (it == clients_.end()) {
        return;
    }
    Client& c = *it->second;
    c.checking = false;
    c.caller = gate_.Check(token);
    if (!c.caller) {
        gate_.Failed(c.peer);
        Send(c, Err(kUsage, QStringLiteral("a valid token is needed")));
        if (++c.failures >= limits_.maxFailures) {
            Drop(id);
            return;
        }
    } else {
        Send(c, "OK " +
                    Json({{"token", c.caller->token},
                          {"role", c.caller->role == Role::Technician ? "technician" : "staff"}}) +
                    '\n');
    }
    // Lines that came while the token was checked.
    QMetaObject::invokeMethod(
        this, [this, id] { Read(id); }, Qt::QueuedConnection);
}

void TextServer::Take(quint64 id, const QByteArray& line) {
    Client& c = *clients_.at(id);
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty()) {
        return;
    }
    if (trimmed.startsWith("auth ") || trimmed == "auth") {
        c.checking = true;
        const QByteArray token = trimmed.mid(5);
        const int delay = gate_.DelayMs(c.peer);
        QTimer::singleShot(delay, this, [this, id, token] { Login(id, token); });
        return;
    }
    if (trimmed == "quit") {
        Send(c, "OK bye\n");
        if (c.socket) {
            c.socket->disconnectFromHost();
        }
        return;
    }
    if (!c.caller) {
        Send(c, Err(kUsage, QStringLiteral("auth TOKEN comes first")));
        return;
    }
    if (trimmed == "subscribe" || trimmed == "unsubscribe") {
        const bool on = trimmed == "subscribe";
        if (on != c.subscribed) {
            c.subscribed = on;
            on ? service_.AddListener() : service_.RemoveListener();
            listeners_ += on ? 1 : -1;
        }
        Send(c, on ? "OK subscribed\n" : "OK unsubscribed\n");
        return;
    }
    Asked asked = Door::FromLine(trimmed);
    if (asked && asked.command->kind == ctl::CtlCommand::Kind::Show) {
        // Read from the model, as the API's GET is: never from the line.
        const auto unit = ModelView::Unit(model_, asked.command->id);
        Send(c, unit ? "OK " + Json(*unit) + '\n'
                     : Err(Code(ctl::ExitStatus::NotAnswering),
                           QStringLiteral("unit %1 is not on the line").arg(asked.command->id)));
        return;
    }
    if (asked) {
        asked = Door::Admit(c.caller->role, c.caller->staff, asked.command);
    }
    if (!asked) {
        Send(c, Err(asked.status, asked.error));
        return;
    }
    QString refusal;
    c.running = service_.Submit(
        asked.command, &c.asker,
        [this, id](const ctl::Session::Outcome& out) {
            const auto it = clients_.find(id);
            if (it == clients_.end()) {
                return;
            }
            Client& client = *it->second;
            client.running = false;
            Send(client, out.status == ctl::ExitStatus::Done
                             ? "OK " + Json(out.result) + '\n'
                             : Err(ctl::Code(out.status), out.message));
            client.idle.start();
            QMetaObject::invokeMethod(
                this, [this, id] { Read(id); }, Qt::QueuedConnection);
        },
        refusal);
    if (!c.running) {
        Send(c, Err(Code(ctl::ExitStatus::PortFailed), refusal));
    }
}

void TextServer::Send(Client& c, const QByteArray& line) {
    if (!c.socket || c.socket->state() != QAbstractSocket::ConnectedState) {
        return;
    }
    if (c.socket->bytesToWrite() + line.size() > limits_.maxUnread) {
        QMetaObject::invokeMethod(c.socket, &QTcpSocket::abort, Qt::QueuedConnection);
        return;
    }
    c.socket->write(line);
}

void TextServer::Drop(quint64 id) {
    const auto it = clients_.find(id);
    if (it == clients_.end()) {
        return;
    }
    std::unique_ptr<Client> c = std::move(it->second);
    clients_.erase(it);
    service_.Withdraw(&c->asker);
    if (c->subscribed) {
        service_.RemoveListener();
        --listeners_;
    }
    if (c->socket) {
        c->socket->disconnect(this);
        Release(c->socket);
    }
}

void TextServer::Publish(const QJsonObject& event) {
    const QByteArray line = "EVENT " + Json(event) + '\n';
    for (auto& [id, c] : clients_) {
        if (c->subscribed) {
            Send(*c, line);
        }
    }
}

} // namespace quadrel::remote
