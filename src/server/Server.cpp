#include "server/Server.h"

#include "link/PortOpening.h"
#include "model/RolesFile.h"
#include "model/TokenFile.h"

namespace quadrel::server {

namespace {

QString Hex(int id) {
    return QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

// What the window would show of the units, said in lines; and the trace,
// which a server keeps to itself.
struct Server::Log : NullUnitPane, LinkTrace {
    explicit Log(Say& say) : say(say) {}
    void ShowUnitRow(const QRDSTA& unit) override {
        if (shown.insert(unit.bID()).second) {
            say(QStringLiteral("unit %1 found: %2, %3 inputs, %4 outputs")
                    .arg(Hex(unit.bID()), unit.sName())
                    .arg(unit.iInputCount())
                    .arg(unit.iOutputCount()));
        }
    }
    void SetUnitIcon(uint8_t id, bool answering) override {
        if (answering != (silent.count(id) == 0)) {
            if (answering) {
                silent.erase(id);
                say(QStringLiteral("unit %1 answers again").arg(Hex(id)));
            } else {
                silent.insert(id);
                say(QStringLiteral("unit %1 is not answering").arg(Hex(id)));
            }
        }
    }
    void LogSend(const Bytes&) override {}
    void LogRecv(const Bytes&) override {}

    Say& say;
    std::set<int> shown;
    std::set<int> silent;
};

Server::Server(PortFolders folders, Say say)
    : say_(std::move(say)), comm_(std::move(folders)), port_(comm_),
      log_(std::make_unique<Log>(say_)), core_(port_, timers_, *log_, hub_),
      service_({core_, timers_, *log_, [this] { return port_.isOpen(); },
                QStringLiteral("quadrel-server")}),
      doors_(service_, core_.model, TokenFile::DefaultFileName(), RolesFile::DefaultFileName()) {
    hub_.setUnitPane(service_.pane());
    hub_.setWatcher(&service_);
    core_.activity.setOnChanged([this] {
        const QString text = core_.activity.Text();
        if (!text.isEmpty() && text != lastSaid_ && !text.startsWith(QLatin1String("Scanning"))) {
            say_(text);
        }
        lastSaid_ = text;
    });
    service_.setOnRunDone([this](const QString& what, const ctl::Session::Outcome& out) {
        say_(out.status == ctl::ExitStatus::Done
                 ? QStringLiteral("quadrel-ctl: %1").arg(what)
                 : QStringLiteral("quadrel-ctl: %1: %2").arg(what, out.message));
    });
    // A port that went is opened again when its device is back, and the
    // line scanned afresh, as the window does.
    core_.setOnPortLost([this] {
        service_.PortLost();
        say_(QStringLiteral("COM%1 was lost; waiting for it to come back").arg(portNumber_));
        reopen_->start();
    });
    reopen_ = timers_.createTimer(std::chrono::milliseconds(500));
    reopen_->setOnTick([this] { TryReopen(); });
}

Server::~Server() {
    Stop();
}

bool Server::Start(int port, int baud, QString& reason) {
    comm_.GetExistPort();
    comm_.GetValidBaudRate();
    if (!comm_.IsValidBaudRate(QString::number(baud))) {
        reason = QStringLiteral("baud rate %1 is neither 9600 nor 19200").arg(baud);
        return false;
    }
    if (comm_.DevicePath(port).isEmpty() || !comm_.EnumSerPorts(port)) {
        reason = QStringLiteral("there is no port %1").arg(port);
        return false;
    }
    portNumber_ = port;
    baud_ = baud;
    if (!OpenCommPort(port_, port, baud)) {
        reason = QStringLiteral("COM%1 (%2) will not open: %3")
                     .arg(port)
                     .arg(comm_.DevicePath(port), port_.lastError());
        return false;
    }
    if (!service_.Listen(port, baud, reason)) {
        port_.close();
        return false;
    }
    say_(QStringLiteral("serving COM%1 (%2) at %3 baud on %4")
             .arg(port)
             .arg(comm_.DevicePath(port))
             .arg(baud)
             .arg(service_.socketPath()));
    core_.status.SetScanning(true);
    return true;
}

bool Server::OpenDoors(const PortSettings::Network& network, QString& reason) {
    const QStringList problems = doors_.Apply(network);
    if (!problems.isEmpty()) {
        reason = problems.join(QStringLiteral("; "));
        return false;
    }
    if (doors_.api().listening()) {
        say_(QStringLiteral("HTTP API on %1 port %2%3")
                 .arg(network.address)
                 .arg(doors_.api().port())
                 .arg(network.certificate.isEmpty() ? QString() : QStringLiteral(" (TLS)")));
    }
    if (doors_.text().listening()) {
        say_(QStringLiteral("text protocol on %1 port %2")
                 .arg(network.address)
                 .arg(doors_.text().port()));
    }
    return true;
}

void Server::TryReopen() {
    if (port_.isOpen()) {
        reopen_->stop();
        return;
    }
    if (comm_.DevicePath(portNumber_).isEmpty() || !OpenCommPort(port_, portNumber_, baud_)) {
        return; // tried again at the next tick
    }
    reopen_->stop();
    say_(QStringLiteral("COM%1 is back; scanning the line").arg(portNumber_));
    core_.status.SetScanning(true);
}

void Server::Stop() {
    reopen_->stop();
    doors_.Close();
    service_.CancelRuns();
    service_.Close();
    core_.status.timRequestStatus().stop();
    if (port_.isOpen()) {
        port_.close();
    }
}

} // namespace quadrel::server
