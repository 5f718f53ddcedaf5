#pragma once

#include "link/basCOMM.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimer.h"
#include "model/NullViewParts.h"
#include "model/PortSettings.h"
#include "model/QuadrelCore.h"
#include "model/ViewsHub.h"
#include "remote/NetworkDoors.h"
#include "service/LineService.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <set>

namespace quadrel::server {

// quadrel-server: the line's owner without a window. The same core as the
// window scans the line, reads the first unit and polls it; the service
// serves the port to quadrel-ctl and other programs; what the window's
// status line would say goes to standard error, one line each.
class Server : public QObject {
    Q_OBJECT
public:
    // Lines for standard error.
    using Say = std::function<void(const QString&)>;
    Server(PortFolders folders, Say say);
    ~Server() override;

    // Opens `port` at `baud`, serves it and scans the line. False, with a
    // one-line reason, when the port will not open or cannot be served.
    bool Start(int port, int baud, QString& reason);
    // Opens or closes the network doors as `network` says; false, with the
    // reasons, when one that is turned on cannot be opened.
    bool OpenDoors(const PortSettings::Network& network, QString& reason);
    // Cancels what runs for a client and lets the port go.
    void Stop();

    QuadrelCore& core() { return core_; }
    service::LineService& service() { return service_; }
    remote::NetworkDoors& doors() { return doors_; }

private:
    struct Log;
    void TryReopen();

    Say say_;
    basCOMM comm_;
    QtSerialPort port_;
    QtTimerFactory timers_;
    std::unique_ptr<Log> log_;
    ViewsHub hub_;
    QuadrelCore core_;
    service::LineService service_;
    remote::NetworkDoors doors_;
    std::unique_ptr<Timer> reopen_;
    int portNumber_ = 0;
    int baud_ = 0;
    QString lastSaid_;
};

} // namespace quadrel::server
