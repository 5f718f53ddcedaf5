#pragma once

// The emulator's trace and the owner's event stream, each line stamped on
// one clock when the test's event loop hears it, so an event's delay after
// the unit's acknowledgement is measured as a client would see it. Both are
// read from readyRead as they come; while the test waits it runs the event
// loop (WaitFor), so neither waits on the test.
#include "SimProcess.h"
#include "link/CommandCodes.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace quadrel::test {

inline quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Every frame of the trace, "in ..." or "out ...", with when it was heard.
class StampedTrace {
public:
    StampedTrace(SimProcess& sim, const QElapsedTimer& clock) : sim_(sim), clock_(clock) {
        QObject::connect(&sim.process(), &QProcess::readyReadStandardOutput, &sim.process(),
                         [this] { Listen(); });
    }
    const std::vector<std::pair<QString, qint64>>& Heard() {
        Listen();
        return heard_;
    }
    size_t size() { return Heard().size(); }
    // The settings written to the line since `from`.
    QStringList SettingsSince(size_t from) {
        QStringList settings;
        const auto& heard = Heard();
        for (size_t i = from; i < heard.size(); ++i) {
            const QString& line = heard[i].first;
            if (line.startsWith("in ") &&
                IsSetCommand(static_cast<uint8_t>(line.mid(6, 2).toInt(nullptr, 16)))) {
                settings << line;
            }
        }
        return settings;
    }
    // When the answer to `request` (a line of SettingsSince) was heard after
    // `from`; -1 before it has been.
    qint64 AnsweredAt(const QString& request, size_t from) {
        const auto& heard = Heard();
        for (size_t i = from; i + 1 < heard.size(); ++i) {
            if (heard[i].first == request && heard[i + 1].first.startsWith("out ")) {
                return heard[i + 1].second;
            }
        }
        return -1;
    }

private:
    void Listen() {
        const auto lines = sim_.Lines();
        for (size_t i = heard_.size(); i < lines.size(); ++i) {
            heard_.emplace_back((lines[i].first ? "in " : "out ") + lines[i].second,
                                clock_.elapsed());
        }
    }

    SimProcess& sim_;
    const QElapsedTimer& clock_;
    std::vector<std::pair<QString, qint64>> heard_;
};

// The owner's events, each with when it came: from GET /api/v1/events with
// a token (its "data:" lines), or from a subscription on the owner's own
// socket (its lines that carry "event").
class StampedEvents {
public:
    explicit StampedEvents(const QElapsedTimer& clock) : clock_(clock) {}
    // Connected and subscribed within `limit`.
    bool Subscribe(quint16 port, const QString& token, std::chrono::milliseconds limit) {
        auto* socket = new QTcpSocket;
        Listen(socket);
        socket->connectToHost(QHostAddress::LocalHost, port);
        socket->write("GET /api/v1/events HTTP/1.1\r\nAuthorization: Bearer " + token.toLatin1() +
                      "\r\n\r\n");
        return WaitFor([this] { return subscribed_; }, limit);
    }
    bool Subscribe(const QString& socketPath, std::chrono::milliseconds limit) {
        auto* socket = new QLocalSocket;
        Listen(socket);
        socket->connectToServer(socketPath);
        socket->write(R"({"quadrel":1,"id":1,"command":"subscribe"})"
                      "\n");
        return WaitFor([this] { return subscribed_; }, limit);
    }
    size_t size() const { return told_.size(); }
    // When the first event from the `from`th on that `wanted` took came; -1
    // before it has.
    qint64 FirstAt(const std::function<bool(const QJsonObject&)>& wanted, size_t from = 0) const {
        for (size_t i = from; i < told_.size(); ++i) {
            if (wanted(told_[i].first)) {
                return told_[i].second;
            }
        }
        return -1;
    }

private:
    void Listen(QIODevice* socket) {
        socket_.reset(socket);
        QObject::connect(socket, &QIODevice::readyRead, socket, [this] { Read(); });
    }
    void Read() {
        const qint64 now = clock_.elapsed(); // before any parsing
        stream_ += socket_->readAll();
        for (qsizetype end; (end = stream_.indexOf('\n')) >= 0; stream_.remove(0, end + 1)) {
            QByteArray line = stream_.left(end).trimmed();
            subscribed_ = subscribed_ || line == ": subscribed";
            if (line.startsWith("data: ")) {
                line.remove(0, 6);
            }
            const QJsonObject object = QJsonDocument::fromJson(line).object();
            subscribed_ = subscribed_ || object.value("subscribed").toBool();
            if (object.contains("event")) {
                told_.emplace_back(object, now);
            }
        }
    }

    const QElapsedTimer& clock_;
    std::unique_ptr<QIODevice> socket_;
    QByteArray stream_;
    bool subscribed_ = false;
    std::vector<std::pair<QJsonObject, qint64>> told_;
};

} // namespace quadrel::test
