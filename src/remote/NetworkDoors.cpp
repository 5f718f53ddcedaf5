#include "remote/NetworkDoors.h"

#include "model/NamesStore.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>

namespace quadrel::remote {

namespace {

// The certificate and key as TLS wants them; why not, when they will not load.
std::optional<QSslConfiguration> Tls(const PortSettings::Network& n, QString& reason) {
    QFile keyFile(n.key);
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(n.certificate);
    if (chain.isEmpty()) {
        reason = QStringLiteral("the certificate %1 will not load").arg(n.certificate);
        return std::nullopt;
    }
    if (!keyFile.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("the key %1 will not open: %2").arg(n.key, keyFile.errorString());
        return std::nullopt;
    }
    const QByteArray pem = keyFile.read(64 * 1024);
    QSslKey key(pem, QSsl::Rsa);
    if (key.isNull()) {
        key = QSslKey(pem, QSsl::Ec);
    }
    if (key.isNull()) {
        reason = QStringLiteral("the key %1 is not an RSA or EC key in PEM").arg(n.key);
        return std::nullopt;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    return tls;
}

} // namespace

NetworkDoors::NetworkDoors(service::LineService& service, const basQRD& model, QString tokensFile,
                           QString rolesFile, QObject* parent)
    : QObject(parent), gate_(std::move(tokensFile), rolesFile), api_(service, model, gate_, this),
      text_(service, model, gate_, this),
      web_(api_, gate_, service, model, rolesFile, NamesStore::DefaultFileName(), this) {}

void NetworkDoors::Close() {
    api_.Close();
    text_.Close();
    open_ = false;
}

QStringList NetworkDoors::Apply(const PortSettings::Network& n) {
    if (open_ && n == applied_ && (api_.listening() == n.api) && (text_.listening() == n.text)) {
        return {};
    }
    Close();
    applied_ = n;
    open_ = true;
    QStringList problems;
    if (!n.api && !n.text) {
        return problems;
    }
    const QHostAddress address(n.address);
    if (address.isNull()) {
        problems << QStringLiteral("%1 is not an IP address: nothing listens").arg(n.address);
        return problems;
    }
    std::optional<QSslConfiguration> tls;
    if (!n.certificate.isEmpty() || !n.key.isEmpty()) {
        QString reason;
        tls = Tls(n, reason);
        if (!tls) {
            problems << QStringLiteral("%1: nothing listens").arg(reason);
            return problems;
        }
    }
    QString reason;
    web_.setSecure(tls.has_value());
    if (n.api) {
        ApiServer::Config config;
        config.address = address;
        config.port = static_cast<quint16>(n.apiPort);
        config.tls = tls;
        config.origins = n.origins;
        if (!api_.Listen(config, reason)) {
            problems << QStringLiteral("the API will not listen on %1 port %2: %3")
                            .arg(n.address)
                            .arg(n.apiPort)
                            .arg(reason);
        }
    }
    if (n.text && !text_.Listen(address, static_cast<quint16>(n.textPort), tls, reason)) {
        problems << QStringLiteral("the text protocol will not listen on %1 port %2: %3")
                        .arg(n.address)
                        .arg(n.textPort)
                        .arg(reason);
    }
    return problems;
}

} // namespace quadrel::remote
