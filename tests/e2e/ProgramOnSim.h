#pragma once

// The program as main() wires it, with the real port layer and real timers,
// on the folders of a running emulator.
#include "SimProcess.h"
#include "app/RecordingMessages.h"
#include "app/basMain.h"
#include "app/frmMain.h"
#include "link/basCOMM.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimer.h"
#include "log/LogClock.h"

#include <QPushButton>

#include <memory>

namespace quadrel::test {

struct FixedDay : LogClock {
    QDateTime LocalNow() const override { return QDateTime(QDate(2026, 12, 7), QTime(9, 0)); }
};

class ProgramOnSim {
public:
    // Its messages kept in messages().
    explicit ProgramOnSim(const SimProcess& sim) : ProgramOnSim(sim, own_) {}
    ProgramOnSim(const SimProcess& sim, MessageBoxes& messages) {
        PortFolders folders;
        folders.aliasDir = sim.aliasDir();
        folders.devDir = sim.configDir() + "/no-dev";
        folders.sysTtyDir = sim.configDir() + "/no-sys";
        comm_ = std::make_unique<basCOMM>(folders);
        port_ = std::make_unique<QtSerialPort>(*comm_);
        program_ = std::make_unique<basMain>(basMain::Environment{
            *comm_, *port_, timers_, messages, clock_, sim.settingsFile(), sim.configDir(),
            [this] { return port_->lastError(); }, sim.configDir() + "/state/state.ini",
            sim.configDir() + "/Quadrel/names.json", rolesFile(sim)});
    }
    static QString rolesFile(const SimProcess& sim) {
        return sim.configDir() + "/Quadrel/roles.json";
    }
    basMain& operator*() { return *program_; }
    basMain* operator->() { return program_.get(); }
    QtSerialPort& port() { return *port_; }
    QuadrelCore& core() { return program_->core(); }
    RecordingMessages& messages() { return own_; }

    // Main(), the first unit read and the rest of the line's scan stopped, as
    // the operator would: the poll runs on. False where any of it fails.
    bool StartAndStopScan() {
        QuadrelCore& c = core();
        const auto read = [&] {
            return IsUnitConnected(c.model.objSelectedUnit) && !c.model.blLoadingStatus;
        };
        if (!program_->Main() || !WaitFor(read, std::chrono::seconds(15))) {
            return false;
        }
        program_->mainWindow()->cmdScan()->click();
        return WaitFor([&] { return read() && !c.status.IsBusy(); }, std::chrono::seconds(30));
    }

private:
    RecordingMessages own_;
    std::unique_ptr<basCOMM> comm_;
    std::unique_ptr<QtSerialPort> port_;
    QtTimerFactory timers_;
    FixedDay clock_;
    std::unique_ptr<basMain> program_;
};

} // namespace quadrel::test
