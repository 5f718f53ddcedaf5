#pragma once

// A real quadrel-server core on quadrel-sim with both network doors open on
// free loopback ports, a technician's, a staff's and a revoked token, and
// staff allowed output 1 of unit 0 only.
#include "OwnerFixture.h"
#include "RemoteClient.h"
#include "model/RolesFile.h"
#include "model/TokenFile.h"

using namespace std::chrono_literals;
using quadrel::test::SimProcess;
using quadrel::test::TcpClient;
using quadrel::test::WaitFor;

constexpr int kPort = 162;

inline QByteArray Get(const QByteArray& path, const QByteArray& token) {
    return "GET " + path + " HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + token + "\r\n\r\n";
}

inline QByteArray Post(const QByteArray& path, const QByteArray& token, const QByteArray& body,
                       const QByteArray& more = {}) {
    return "POST " + path + " HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + token +
           "\r\nContent-Type: application/json\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n" + more + "\r\n" + body;
}

class Doors : public quadrel::test::OwnerFixture {
protected:
    Doors() : OwnerFixture(kPort) {}
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OwnerFixture::SetUp());
        // The staff may route output 1 of unit 0, and nothing else.
        quadrel::RolesConfig roles;
        roles.staff.outputs[0] = {1};
        QString error;
        ASSERT_TRUE(quadrel::RolesFile::Save(quadrel::RolesFile::DefaultFileName(), roles, error));
        quadrel::TokenFile tokens(quadrel::TokenFile::DefaultFileName());
        quadrel::TokenRecord made;
        QString secret;
        ASSERT_TRUE(tokens.Create("tech", quadrel::Role::Technician, secret, made, error));
        tech_ = secret.toLatin1();
        ASSERT_TRUE(tokens.Create("desk", quadrel::Role::Staff, secret, made, error));
        staff_ = secret.toLatin1();
        ASSERT_TRUE(tokens.Create("gone", quadrel::Role::Technician, secret, made, error));
        revoked_ = secret.toLatin1();
        ASSERT_TRUE(tokens.Revoke("gone", error));

        ASSERT_NO_FATAL_FAILURE(StartOwner());
        quadrel::PortSettings::Network network;
        network.api = network.text = true;
        network.apiPort = network.textPort = 0; // any free port
        ASSERT_TRUE(server_->OpenDoors(network, error)) << error.toStdString();
        // Read through, so that changes are answered at once.
        ASSERT_TRUE(WaitFor(
            [&] { return Ask(Get("/api/v1/units/0", tech_)).contains("\"state\":{"); }, 20s));
    }
    quint16 api() { return server_->doors().api().port(); }
    quint16 text() { return server_->doors().text().port(); }
    // One request on a connection of its own; the whole answer.
    QByteArray Ask(const QByteArray& request) {
        TcpClient client(api());
        client.Write(request);
        client.ReadUntil([](const QByteArray& b) {
            const qsizetype head = b.indexOf("\r\n\r\n");
            const qsizetype at = b.indexOf("Content-Length: ");
            return head >= 0 && at >= 0 &&
                   b.size() >= head + 4 + b.mid(at + 16, b.indexOf('\r', at) - at - 16).toInt();
        });
        return client.buffer();
    }

    QByteArray tech_, staff_, revoked_;
};
