#pragma once

#include "RecordingMessages.h"
#include "app/basMain.h"
#include "link/VirtualClock.h"
#include "link/qt/QtSerialPort.h"
#include "log/LogClock.h"
#include "sim/SimSerialPort.h"
#include "support/FakeSerialPort.h"
#include "support/Pty.h"
#include "support/TempFolders.h"

#include <QStringList>
#include <QTemporaryDir>

#include <map>
#include <memory>

namespace quadrel::test {

class FixedLogClock : public LogClock {
public:
    QDateTime LocalNow() const override { return now; }
    QDateTime now{QDate(2012, 1, 11), QTime(9, 5, 7)};
};

// A whole program on stand-ins: ports are pseudo-terminals behind aliases in
// temporary folders, the settings file lives in a temporary folder, timers
// run in virtual time. The port is scripted unless the test asks for the
// real one.
class AppRig {
public:
    AppRig();
    ~AppRig();

    // Makes port `number` exist (a pseudo-terminal behind the alias comN).
    void AddPort(int number);
    void RemovePort(int number);
    Pty& pty(int number) { return *ptys_.at(number); }
    QString DeviceOf(int number) const;

    // Writes raw text values into group COM of the settings file.
    void Store(const QString& key, const QString& value);
    // Adds the port and stores it, at `rate`, as the one to open.
    void StorePort(int number, const QString& rate = QStringLiteral("9600")) {
        AddPort(number);
        Store(QStringLiteral("PORT NUMBER"), QString::number(number));
        Store(QStringLiteral("BAUD RATE"), rate);
    }
    QString Stored(const QString& key) const;
    bool SettingsWritten() const;
    QString settingsFile() const {
        return config_.path() + QStringLiteral("/Quadrel/Quadrel.conf");
    }

    // The program's state file, in the temporary folder.
    QString stateFile() const {
        return config_.path() + QStringLiteral("/state/Quadrel/state.ini");
    }

    // The names file, in the temporary folder.
    QString namesFile() const { return config_.path() + QStringLiteral("/Quadrel/names.json"); }

    // Opens ports through QSerialPort instead of the scripted port.
    void UseRealPort();
    // Or on emulated lines in virtual time (before program()), with port 200
    // stored as the one to open and the scan run by the program's own core.
    sim::SimSerialPort& UseSimPort();

    basMain& program();
    // Ends the program as Exit does; the next program() starts a new one.
    void EndProgram() { program_.reset(); }
    SerialPort& port() { return sim_ ? *sim_ : real_ ? static_cast<SerialPort&>(*real_) : fake; }

    FakeSerialPort fake;
    RecordingMessages messages;
    FixedLogClock clock;
    VirtualClock time;
    int scans = 0;

private:
    TempFolders folders_;
    QTemporaryDir config_;
    std::map<int, std::unique_ptr<Pty>> ptys_;
    basCOMM comm_{folders_.folders()};
    std::unique_ptr<QtSerialPort> real_;
    std::unique_ptr<sim::SimSerialPort> sim_;
    std::unique_ptr<basMain> program_;
};

} // namespace quadrel::test
