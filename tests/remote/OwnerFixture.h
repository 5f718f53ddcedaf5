#pragma once

// A real quadrel-server core, in the test's process, on quadrel-sim at 19200
// baud: unit 0 "Stage", 4 inputs, 3 outputs, 2 presets.
#include "SimProcess.h"
#include "server/Server.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace quadrel::test {

class OwnerFixture : public ::testing::Test {
protected:
    explicit OwnerFixture(int port) : port_(port) {}

    // The emulator, and this test's own runtime and settings folders.
    void SetUp() override {
        ASSERT_TRUE(runtime_.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(sim_.configDir()));
        ASSERT_TRUE(sim_.Start(
            port_, {"--baud", "19200", "--unit", "id=0,name=Stage,inputs=4,outputs=3,memories=2"}));
    }
    // The owner on the emulator's port, once it has found unit 0.
    void StartOwner() {
        quadrel::PortFolders folders;
        folders.aliasDir = sim_.aliasDir();
        folders.devDir = sim_.configDir() + "/no-dev";
        folders.sysTtyDir = sim_.configDir() + "/no-sys";
        server_ = std::make_unique<quadrel::server::Server>(
            folders, [this](const QString& line) { said_ << line; });
        QString reason;
        ASSERT_TRUE(server_->Start(port_, 19200, reason)) << reason.toStdString();
        ASSERT_TRUE(WaitFor([&] { return said_.join('\n').contains("unit 00 found"); },
                            std::chrono::seconds(10)))
            << said_.join('\n').toStdString();
    }
    void TearDown() override {
        server_.reset();
        sim_.Stop();
    }

    // Settings the emulator was asked to make, so far.
    int Settings() { return static_cast<int>(sim_.SettingsSince(0).size()); }

    const int port_;
    QTemporaryDir runtime_;
    SimProcess sim_;
    QStringList said_;
    std::unique_ptr<quadrel::server::Server> server_;
};

} // namespace quadrel::test
