#include "service/LineService.h"

#include "ctl/Report.h"
#include "service/ServiceProtocol.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QLocalSocket>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

namespace quadrel::service {

namespace {

using K = ctl::CtlCommand::Kind;
constexpr int kUsage = 2;

QString Hex(int id) {
    return QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
}

QString Ports(const std::vector<int>& ports) {
    QStringList numbers;
    for (int p : ports) {
        numbers << QString::number(p);
    }
    return numbers.join(QLatin1Char(','));
}

QString Tr(const char* text) {
    return QCoreApplication::translate("LineService", text);
}

// What a run did, for the owner's status line.
QString Summary(const ctl::CtlCommand& c) {
    const QString unit = Hex(c.id);
    switch (c.kind) {
    case K::Route:
        return Tr(QT_TRANSLATE_NOOP("LineService", "unit %1: route output %2 ← input %3"))
            .arg(unit, Ports(c.outputs), QString::number(c.input.value_or(0)));
    case K::Disconnect:
        return Tr(QT_TRANSLATE_NOOP("LineService", "unit %1: disconnect output %2"))
            .arg(unit, Ports(c.outputs));
    case K::Set:
        return c.inputs.empty() ? Tr(QT_TRANSLATE_NOOP("LineService", "unit %1: set output %2"))
                                      .arg(unit, Ports(c.outputs))
                                : Tr(QT_TRANSLATE_NOOP("LineService", "unit %1: set input %2"))
                                      .arg(unit, Ports(c.inputs));
    case K::PresetSave:
        return Tr(QT_TRANSLATE_NOOP("LineService", "unit %1: save memory location %2"))
            .arg(unit)
            .arg(c.location);
    case K::PresetLoad:
        return Tr(QT_TRANSLATE_NOOP("LineService", "unit %1: load memory location %2"))
            .arg(unit)
            .arg(c.location);
    case K::Save:
        return Tr(QT_TRANSLATE_NOOP("LineService", "unit %1: save settings to %2"))
            .arg(unit, c.file);
    case K::Restore:
        return Tr(QT_TRANSLATE_NOOP("LineService", "unit %1: restore settings from %2"))
            .arg(unit, c.file);
    case K::Show:
        return Tr(QT_TRANSLATE_NOOP("LineService", "unit %1: show")).arg(unit);
    case K::SceneRecall:
        return Tr(QT_TRANSLATE_NOOP("LineService", "recall scene “%1”")).arg(c.scene);
    case K::SceneShow:
        return Tr(QT_TRANSLATE_NOOP("LineService", "show scene “%1”")).arg(c.scene);
    case K::SceneList:
        return Tr(QT_TRANSLATE_NOOP("LineService", "list the scenes"));
    case K::Scan:
    case K::Help:
    case K::Version:
        break;
    }
    return Tr(QT_TRANSLATE_NOOP("LineService", "scan"));
}

// The user on the other end of a local socket, or -1 when it cannot be told.
long PeerUser(qintptr descriptor) {
    struct ucred peer {};
    socklen_t size = sizeof peer;
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) {
        return -1;
    }
    return static_cast<long>(peer.uid);
}

} // namespace

struct LineService::Client {
    QPointer<QLocalSocket> socket;
    QByteArray buffer;
    bool subscribed = false;
    bool hasRun = false;
    QTimer idle;
};

LineService::LineService(Owner owner, QObject* parent)
    : QObject(parent), core_(owner.core), timers_(owner.timers),
      portOpen_(std::move(owner.portOpen)), program_(std::move(owner.program)), pane_(owner.pane) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.setMaxPendingConnections(protocol::kMaxClients);
    connect(&server_, &QLocalServer::newConnection, this, &LineService::Accept);
}

LineService::~LineService() {
    CancelRuns();
    Close();
}

bool LineService::Listen(int port, int baud, QString& reason) {
    baud_ = baud;
    if (server_.isListening() && port == port_) {
        return true;
    }
    Close();
    port_ = port;
    if (!protocol::MakeSocketFolder(reason)) {
        return false;
    }
    const QString path = protocol::SocketPath(port);
    // Only one program can hold the port, and that is this one: a socket
    // left by one that ended without removing it is stale.
    QLocalServer::removeServer(path);
    if (!server_.listen(path)) {
        reason = QStringLiteral("%1: %2").arg(path, server_.errorString());
        return false;
    }
    return true;
}

void LineService::Close() {
    for (auto& client : clients_) {
        if (client->socket) {
            client->socket->disconnect(this);
            client->socket->abort();
            client->socket->deleteLater();
        }
    }
    clients_.clear();
    waiting_.clear();
    if (current_ != nullptr) {
        current_->Interrupt();
    }
    if (server_.isListening()) {
        server_.close();
    }
}

void LineService::CancelRuns() {
    waiting_.clear();
    if (current_ != nullptr) {
        current_->Interrupt();
    }
}

void LineService::PortLost() {
    if (current_ != nullptr) {
        current_->PortLost();
    }
}

LineService::Client* LineService::Find(QLocalSocket* socket) {
    for (auto& client : clients_) {
        if (client->socket == socket) {
            return client.get();
        }
    }
    return nullptr;
}

void LineService::Accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        // The folder keeps others out; the peer's own credentials are the
        // second lock, for a folder made open by hand.
        if (PeerUser(socket->socketDescriptor()) != static_cast<long>(::geteuid())) {
            Refuse(socket, 0, QStringLiteral("this line is served to its owner's user only"),
                   kUsage, true);
            continue;
        }
        if (static_cast<int>(clients_.size()) >= protocol::kMaxClients) {
            Refuse(socket, 0,
                   QStringLiteral("%1 clients are connected, the most there may be")
                       .arg(protocol::kMaxClients),
                   kUsage, true);
            continue;
        }
        auto client = std::make_unique<Client>();
        client->socket = socket;
        Client* raw = client.get();
        client->idle.setSingleShot(true);
        client->idle.setInterval(idleLimit_);
        connect(&client->idle, &QTimer::timeout, this, [this, raw] {
            if (!raw->subscribed && !raw->hasRun) {
                Refuse(raw->socket, 0, QStringLiteral("nothing was asked for too long"), kUsage,
                       true);
            }
        });
        client->idle.start();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (Client* c = Find(socket)) {
                Read(*c);
            }
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { Gone(socket); });
        clients_.push_back(std::move(client));
    }
}

void LineService::Read(Client& client) {
    QLocalSocket* socket = client.socket;
    client.idle.start();
    while (socket != nullptr && socket->bytesAvailable() > 0) {
        client.buffer += socket->read(protocol::kMaxRequest);
        qsizetype end;
        while ((end = client.buffer.indexOf('\n')) >= 0) {
            const QByteArray line = client.buffer.left(end);
            client.buffer.remove(0, end + 1);
            Take(client, line);
            if (Find(socket) == nullptr) {
                return; // let go while its line was taken
            }
        }
        if (client.buffer.size() >= protocol::kMaxRequest) {
            Refuse(socket, 0,
                   QStringLiteral("a request is at most %1 bytes").arg(protocol::kMaxRequest),
                   kUsage, true);
            return;
        }
    }
}

void LineService::Take(Client& client, const QByteArray& line) {
    QLocalSocket* socket = client.socket;
    const protocol::Parsed parsed = protocol::ParseRequest(line);
    if (!parsed.request) {
        // Past a line that is not JSON the framing cannot be trusted; a
        // request of the wrong shape is only refused.
        Refuse(socket, parsed.id, parsed.error, kUsage, !parsed.json);
        return;
    }
    const protocol::Request& r = *parsed.request;
    if (r.command == QLatin1String("hello")) {
        Send(socket, protocol::Line({{"program", program_},
                                     {"pid", static_cast<qint64>(::getpid())},
                                     {"port", port_},
                                     {"baud", baud_},
                                     {"commands", QJsonArray{"hello", "run", "cancel", "subscribe",
                                                             "unsubscribe"}}},
                                    r.id));
    } else if (r.command == QLatin1String("subscribe") ||
               r.command == QLatin1String("unsubscribe")) {
        client.subscribed = r.command == QLatin1String("subscribe");
        Send(socket, protocol::Line({{"subscribed", client.subscribed}}, r.id));
    } else if (r.command == QLatin1String("cancel")) {
        bool found = false;
        for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
            if (it->socket == socket) {
                Send(socket,
                     protocol::Line({{"status", 1},
                                     {"message", QStringLiteral("cancelled before it began")},
                                     {"result", QJsonObject{}}},
                                    it->id));
                waiting_.erase(it);
                client.hasRun = false;
                found = true;
                break;
            }
        }
        if (!found && current_ != nullptr && currentSocket_ == socket) {
            current_->Interrupt();
            found = true;
        }
        Send(socket, protocol::Line({{"cancelled", found}}, r.id));
    } else if (r.command == QLatin1String("run")) {
        auto command = std::make_shared<ctl::CtlCommand>();
        QString error;
        if (!ctl::CtlCommand::Parse(r.args, *command, error)) {
            Refuse(socket, r.id, error, kUsage, false);
        } else if (command->kind == K::Help || command->kind == K::Version) {
            Refuse(socket, r.id, QStringLiteral("help and version are answered by quadrel-ctl"),
                   kUsage, false);
        } else if (command->port && *command->port != port_) {
            Refuse(socket, r.id, QStringLiteral("this owner serves port %1").arg(port_), kUsage,
                   false);
        } else if (!command->file.isEmpty() && QFileInfo(command->file).isRelative()) {
            Refuse(socket, r.id, QStringLiteral("a file is named by its whole path"), kUsage,
                   false);
        } else if (client.hasRun) {
            Refuse(socket, r.id, QStringLiteral("one run at a time for each client"), kUsage,
                   false);
        } else if (static_cast<int>(waiting_.size()) >= protocol::kMaxQueuedRuns) {
            Refuse(socket, r.id, QStringLiteral("too many runs are waiting for the line"), kUsage,
                   false);
        } else {
            client.hasRun = true;
            waiting_.push_back({socket, r.id, command, {}, {}});
            if (!runScheduled_) {
                runScheduled_ = true;
                QTimer::singleShot(0, this, &LineService::RunNext);
            }
        }
    } else {
        Refuse(socket, r.id, QStringLiteral("unknown command \"%1\"").arg(r.command.left(64)),
               kUsage, false);
    }
}

void LineService::Send(QLocalSocket* socket, const QByteArray& line) {
    if (socket == nullptr || socket->state() != QLocalSocket::ConnectedState) {
        return;
    }
    // A client that does not read is let go before the owner's memory fills;
    // at the next turn, since the caller may be walking the clients.
    if (socket->bytesToWrite() + line.size() > protocol::kMaxUnread) {
        QMetaObject::invokeMethod(socket, &QLocalSocket::abort, Qt::QueuedConnection);
        return;
    }
    socket->write(line);
}

void LineService::Refuse(QLocalSocket* socket, qint64 id, const QString& error, int status,
                         bool drop) {
    if (socket == nullptr) {
        return;
    }
    Send(socket, protocol::Line({{"error", error}, {"status", status}}, id));
    if (drop) {
        socket->disconnectFromServer();
        if (Find(socket) == nullptr) {
            // Never taken on: nothing else will let it go.
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (socket->state() == QLocalSocket::UnconnectedState) {
                socket->deleteLater();
            }
        }
    }
}

void LineService::Gone(QLocalSocket* socket) {
    for (auto it = waiting_.begin(); it != waiting_.end();) {
        it = it->socket == socket ? waiting_.erase(it) : it + 1;
    }
    // Its run ends as a cancelled restore does: the unit as its report says.
    if (current_ != nullptr && currentSocket_ == socket) {
        current_->Interrupt();
    }
    for (auto it = clients_.begin(); it != clients_.end(); ++it) {
        if ((*it)->socket == socket) {
            clients_.erase(it);
            break;
        }
    }
    socket->deleteLater();
}

void LineService::RunNext() {
    runScheduled_ = false;
    if (current_ != nullptr) {
        return;
    }
    while (!waiting_.empty() && waiting_.front().gone()) {
        waiting_.pop_front();
    }
    if (waiting_.empty()) {
        return;
    }
    const Pending run = waiting_.front();
    waiting_.pop_front();
    // The client may go while its run waits for the line.
    const QPointer<QLocalSocket> socket = run.socket;
    ctl::Console console;
    console.setProgress([this, socket, id = run.id](const QString& line) {
        Send(socket, protocol::Line({{"progress", line}}, id));
    });
    pane_.setRun(&console);
    ctl::Session session(
        *run.command,
        ctl::Session::OwnerLine{core_, timers_, console, port_, portOpen_,
                                [this](const UnitRef& unit) { core_.SelectUnit(unit); }});
    current_ = &session;
    currentSocket_ = socket;
    currentAsker_ = run.asker;
    // Runs on the owner's event loop, which goes on serving the window and
    // the other clients meanwhile; the next run waits for this one.
    const ctl::Session::Outcome out = session.Run();
    current_ = nullptr;
    currentSocket_ = nullptr;
    currentAsker_ = nullptr;
    pane_.setRun(nullptr);
    if (run.asker && run.done) {
        run.done(out);
    }
    if (Client* client = socket ? Find(socket) : nullptr) {
        client->hasRun = false;
        client->idle.start();
        Send(socket, protocol::Line({{"status", ctl::Code(out.status)},
                                     {"message", out.message},
                                     {"result", out.result}},
                                    run.id));
    }
    if (onRunDone_) {
        onRunDone_(Summary(*run.command), out);
    }
    if (!waiting_.empty() && !runScheduled_) {
        runScheduled_ = true;
        QTimer::singleShot(0, this, &LineService::RunNext);
    }
}

bool LineService::Submit(std::shared_ptr<ctl::CtlCommand> command, QObject* asker, Done done,
                         QString& refusal) {
    if (static_cast<int>(waiting_.size()) >= protocol::kMaxQueuedRuns) {
        refusal = QStringLiteral("too many runs are waiting for the line");
        return false;
    }
    waiting_.push_back({nullptr, 0, std::move(command), asker, std::move(done)});
    if (!runScheduled_) {
        runScheduled_ = true;
        QTimer::singleShot(0, this, &LineService::RunNext);
    }
    return true;
}

void LineService::Withdraw(QObject* asker) {
    for (auto it = waiting_.begin(); it != waiting_.end();) {
        it = it->asker == asker ? waiting_.erase(it) : it + 1;
    }
    if (current_ != nullptr && currentAsker_ == asker) {
        current_->Interrupt();
    }
}

bool LineService::Anyone() const {
    if (listeners_ > 0) {
        return true;
    }
    for (const auto& client : clients_) {
        if (client->subscribed) {
            return true;
        }
    }
    return false;
}

void LineService::PortChanged(What what, int, int b) {
    const UnitRef unit = core_.model.objSelectedUnit;
    if (!unit || !Anyone()) {
        return;
    }
    const bool input = what == What::InputPlug || what == What::VideoInput;
    changed_.insert({input ? 1 : 0, unit->bID(), b});
    if (!publishScheduled_) {
        publishScheduled_ = true;
        QTimer::singleShot(0, this, &LineService::Publish);
    }
}

void LineService::UnitChanged(uint8_t id) {
    if (!Anyone()) {
        return;
    }
    changed_.insert({2, id, 0});
    if (!publishScheduled_) {
        publishScheduled_ = true;
        QTimer::singleShot(0, this, &LineService::Publish);
    }
}

void LineService::AddListener() {
    // The first listener's events are measured against the model as it is
    // now: what listeners before it were told is stale, as changes made
    // while nobody listened were not followed.
    if (listeners_++ > 0) {
        return;
    }
    lastEvent_.clear();
    const UnitRef unit = core_.model.objSelectedUnit;
    if (!unit) {
        return;
    }
    for (int kind : {0, 1}) {
        const int count = kind == 0 ? unit->iOutputCount() : unit->iInputCount();
        for (int port = 1; port <= count; ++port) {
            if (auto event = PortEvent(kind, *unit, port)) {
                lastEvent_[{kind, unit->bID(), port}] = std::move(*event);
            }
        }
    }
}

std::optional<QJsonObject> LineService::PortEvent(int kind, const QRDSTA& unit, int port) const {
    const int id = unit.bID();
    if (kind == 1) {
        if (port < 1 || port > unit.iInputCount()) {
            return std::nullopt;
        }
        return QJsonObject{{"event", "input"},
                           {"unit", id},
                           {"input", ctl::Report::Inputs(core_.model, unit, {port}).at(0)}};
    }
    if (port < 1 || port > unit.iOutputCount()) {
        return std::nullopt;
    }
    return QJsonObject{{"event", "output"},
                       {"unit", id},
                       {"output", ctl::Report::Outputs(core_.model, unit, {port}).at(0)}};
}

void LineService::Publish() {
    publishScheduled_ = false;
    const auto changed = std::exchange(changed_, {});
    QByteArray lines;
    for (const auto& [kind, id, port] : changed) {
        const UnitRef unit = core_.model.FindUnit(static_cast<uint8_t>(id));
        if (!unit) {
            continue;
        }
        QJsonObject event;
        if (kind == 2) {
            event = {{"event", "unit"},
                     {"unit", ctl::Report::Unit(*unit)},
                     {"answering", IsUnitConnected(unit)}};
        } else if (unit != core_.model.objSelectedUnit) {
            continue; // drawn for a unit no longer selected
        } else if (auto made = PortEvent(kind, *unit, port)) {
            event = std::move(*made);
        } else {
            continue;
        }
        lines += protocol::Line(event, std::nullopt);
        // The other doors hear of what changed, not of every poll's redraw.
        QJsonObject& last = lastEvent_[{kind, id, port}];
        if (listeners_ > 0 && (kind == 2 || last != event)) {
            last = event;
            emit Event(event);
        }
    }
    if (lines.isEmpty()) {
        return;
    }
    for (const auto& client : clients_) {
        if (client->subscribed) {
            Send(client->socket, lines);
        }
    }
}

} // namespace quadrel::service
