#pragma once

// A real quadrel-server core on quadrel-sim with both network doors open on
// free loopback ports, a technician's, a staff's and a revoked token, and
// staff allowed output 1 of unit 0 only.
#include "RemoteClient.h"
#include "link/CommandCodes.h"
#include "model/RolesFile.h"
#include "model/TokenFile.h"
#include "server/Server.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

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

class Doors : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(runtime_.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(sim_.configDir()));
        ASSERT_TRUE(sim_.Start(
            kPort, {"--baud", "19200", "--unit", "id=0,name=Stage,inputs=4,outputs=3,memories=2"}));
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

        quadrel::PortFolders folders;
        folders.aliasDir = sim_.aliasDir();
        folders.devDir = sim_.configDir() + "/no-dev";
        folders.sysTtyDir = sim_.configDir() + "/no-sys";
        server_ = std::make_unique<quadrel::server::Server>(
            folders, [this](const QString& line) { said_ << line; });
        ASSERT_TRUE(server_->Start(kPort, 19200, error)) << error.toStdString();
        quadrel::PortSettings::Network network;
        network.api = network.text = true;
        network.apiPort = network.textPort = 0; // any free port
        ASSERT_TRUE(server_->OpenDoors(network, error)) << error.toStdString();
        ASSERT_TRUE(WaitFor([&] { return said_.join('\n').contains("unit 00 found"); }, 10s));
        // Read through, so that changes are answered at once.
        ASSERT_TRUE(WaitFor(
            [&] { return Ask(Get("/api/v1/units/0", tech_)).contains("\"state\":{"); }, 20s));
    }
    void TearDown() override {
        server_.reset();
        sim_.Stop();
    }

    quint16 api() { return server_->doors().api().port(); }
    quint16 text() { return server_->doors().text().port(); }
    // Settings the emulator was asked to make, so far.
    int Settings() {
        int n = 0;
        for (const QString& frame : sim_.Requests()) {
            n += quadrel::IsSetCommand(static_cast<uint8_t>(frame.mid(3, 2).toInt(nullptr, 16)));
        }
        return n;
    }
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

    QTemporaryDir runtime_;
    SimProcess sim_;
    QStringList said_;
    std::unique_ptr<quadrel::server::Server> server_;
    QByteArray tech_, staff_, revoked_;
};
