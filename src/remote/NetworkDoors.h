#pragma once

#include "model/PortSettings.h"
#include "remote/ApiServer.h"
#include "remote/Gatekeeper.h"
#include "remote/TextServer.h"
#include "remote/WebPanel.h"

#include <QObject>
#include <QStringList>

namespace quadrel::remote {

// The owner's network doors, the HTTP API and the text protocol, opened and
// closed as the technician's settings say. Both are off until turned on,
// listen on the loopback address unless another is named, and speak TLS
// when a certificate and its key are named: a pair that will not load
// keeps the door shut rather than open it unencrypted.
class NetworkDoors : public QObject {
    Q_OBJECT
public:
    NetworkDoors(service::LineService& service, const basQRD& model, QString tokensFile,
                 QString rolesFile, QObject* parent = nullptr);

    // Follows `network`; one line for each door that could not be opened.
    QStringList Apply(const PortSettings::Network& network);
    void Close();

    ApiServer& api() { return api_; }
    TextServer& text() { return text_; }
    WebPanel& web() { return web_; }

private:
    Gatekeeper gate_;
    ApiServer api_;
    TextServer text_;
    WebPanel web_; // served with the API
    PortSettings::Network applied_;
    bool open_ = false;
};

} // namespace quadrel::remote
