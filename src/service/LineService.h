#pragma once

#include "ctl/Console.h"
#include "ctl/CtlCommand.h"
#include "ctl/Session.h"
#include "link/Timer.h"
#include "model/LineWatcher.h"
#include "model/QuadrelCore.h"
#include "service/JobPane.h"
#include "service/ServiceProtocol.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <tuple>

class QLocalSocket;

namespace quadrel::service {

// The owner's side of the line: serves its port to other programs of the
// same user on a local socket. quadrel-ctl's commands run one at a time on
// the owner's core, through the same routines as the window's, and answer
// as quadrel-ctl would; subscribers hear of every change the views are
// told of. A client that breaks the protocol or its limits is let go, and
// one that goes mid-run has its run cancelled; neither touches the line.
class LineService : public QObject, public LineWatcher {
    Q_OBJECT
public:
    struct Owner {
        QuadrelCore& core;
        TimerFactory& timers;
        UnitPanePart& pane; // the owner's own unit pane
        std::function<bool()> portOpen;
        QString program; // "quadrel", "quadrel-server"
    };
    explicit LineService(Owner owner, QObject* parent = nullptr);
    ~LineService() override;

    // Serves port `port` at `baud` from now on, in place of any other.
    // False, with the reason, when the socket cannot be made: the owner then
    // serves nobody, and says so.
    bool Listen(int port, int baud, QString& reason);
    void Close();
    bool listening() const { return server_.isListening(); }
    QString socketPath() const { return server_.fullServerName(); }

    // What the owner's hub tells in place of its unit pane.
    UnitPanePart& pane() { return pane_; }
    void setOwnPane(UnitPanePart& pane) { pane_.setPane(pane); }

    // A run is on the line: the owner waits for it before it ends.
    bool running() const { return current_ != nullptr; }
    // Cancels the run on the line and drops those waiting; the owner ends.
    void CancelRuns();
    // The owner's port went: the run on it ends as a lost port.
    void PortLost();
    // Told after each run, with what it was ("route output 3 ← input 2").
    void setOnRunDone(std::function<void(const QString&, const ctl::Session::Outcome&)> done) {
        onRunDone_ = std::move(done);
    }
    int clientCount() const { return static_cast<int>(clients_.size()); }
    // How long a client with no run and no subscription may say nothing;
    // protocol::kIdleMs unless a test wants it shorter.
    void setIdleLimit(std::chrono::milliseconds limit) { idleLimit_ = limit; }

    // A run asked by another door (a network client) after its own checks:
    // it waits its turn with the socket's runs, and `done` hears how it
    // ended unless `asker` is gone by then. False, with the reason, when the
    // queue is full.
    using Done = std::function<void(const ctl::Session::Outcome&)>;
    bool Submit(std::shared_ptr<ctl::CtlCommand> command, QObject* asker, Done done,
                QString& refusal);
    // The asker went: its waiting runs are dropped and its run on the line
    // ends as a cancelled one does.
    void Withdraw(QObject* asker);
    // Other doors that want the events: while any does, every change is
    // published as `Event`, as it is to the socket's subscribers.
    void AddListener();
    void RemoveListener() { --listeners_; }
    // The port served, and its rate; 0 when none.
    int port() const { return port_; }
    int baud() const { return baud_; }
    // Whether the owner holds its port open now: false while the line is lost.
    bool lineOpen() const { return portOpen_ && portOpen_(); }

    void PortChanged(What what, int a, int b) override;
    void UnitChanged(uint8_t id) override;

signals:
    // One change, as the socket's subscribers get it ("event": "output", ...).
    void Event(const QJsonObject& event);

private:
    struct Client;
    struct Pending {
        QPointer<QLocalSocket> socket;
        qint64 id = 0;
        std::shared_ptr<ctl::CtlCommand> command;
        QPointer<QObject> asker; // another door's run, told through `done`
        Done done;
        bool gone() const { return !socket && !asker; }
    };
    bool Anyone() const;
    // The event of an output (kind 0) or an input (1) of `unit` as the
    // model has it; none for a port the unit lacks.
    std::optional<QJsonObject> PortEvent(int kind, const QRDSTA& unit, int port) const;

    void Accept();
    void Read(Client& client);
    void Take(Client& client, const QByteArray& line);
    void Send(QLocalSocket* socket, const QByteArray& line);
    void Refuse(QLocalSocket* socket, qint64 id, const QString& error, int status, bool drop);
    void Gone(QLocalSocket* socket);
    void RunNext();
    void Publish();
    Client* Find(QLocalSocket* socket);

    QuadrelCore& core_;
    TimerFactory& timers_;
    std::function<bool()> portOpen_;
    QString program_;
    JobPane pane_;
    QLocalServer server_;
    int port_ = 0;
    int baud_ = 0;
    std::vector<std::unique_ptr<Client>> clients_;
    std::deque<Pending> waiting_;
    ctl::Session* current_ = nullptr;
    QPointer<QLocalSocket> currentSocket_;
    QPointer<QObject> currentAsker_;
    int listeners_ = 0;
    // What the other doors were last told of each port.
    std::map<std::tuple<int, int, int>, QJsonObject> lastEvent_;
    bool runScheduled_ = false;
    std::function<void(const QString&, const ctl::Session::Outcome&)> onRunDone_;
    // Changes told since the last publication: kind, unit, port.
    std::set<std::tuple<int, int, int>> changed_;
    bool publishScheduled_ = false;
    std::chrono::milliseconds idleLimit_{protocol::kIdleMs};
};

} // namespace quadrel::service
