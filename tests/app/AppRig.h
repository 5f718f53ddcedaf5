#pragma once

#include "RecordingMessages.h"
#include "app/basMain.h"
#include "app/frmOptions.h"
#include "link/VirtualClock.h"
#include "log/LogClock.h"
#include "sim/SimSerialPort.h"
#include "support/FakeSerialPort.h"
#include "support/Pty.h"
#include "support/TempFolders.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace quadrel::test {

inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
// Writes `bytes` to `path`, making its folder first.
inline bool WriteAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A unit of the emulator, under its default name unless `name` is given.
inline sim::UnitConfig SimUnit(uint8_t id, int inputs, int outputs, const std::string& name = {}) {
    sim::UnitConfig config;
    config.id = id;
    config.inputs = inputs;
    config.outputs = outputs;
    if (!name.empty()) {
        config.name = name;
    }
    return config;
}

class FixedLogClock : public LogClock {
public:
    QDateTime LocalNow() const override { return now; }
    QDateTime now{QDate(2012, 1, 11), QTime(9, 5, 7)};
};

// A whole program on stand-ins: ports are pseudo-terminals behind aliases, files
// in temporary folders, timers in virtual time; the port scripted unless a test
// asks for the real one or the emulator.
class AppRig {
public:
    AppRig() { fake.clock = &time; }

    // Makes port `number` exist (a pseudo-terminal behind the alias comN).
    void AddPort(int number) {
        auto pty = std::make_unique<Pty>();
        folders_.addAlias(number, pty->slavePath());
        ptys_[number] = std::move(pty);
    }
    void RemovePort(int number) {
        QFile::remove(folders_.folders().aliasDir + QStringLiteral("/com%1").arg(number));
    }
    QString DeviceOf(int number) const { return ptys_.at(number)->slavePath(); }

    // Raw text values in group COM of the settings file.
    void Store(const QString& key, const QString& value) {
        QSettings(settingsFile(), QSettings::NativeFormat).setValue("COM/" + key, value);
    }
    QString Stored(const QString& key) const {
        return QSettings(settingsFile(), QSettings::NativeFormat).value("COM/" + key).toString();
    }
    // Adds the port and stores it, at `rate`, as the one to open.
    void StorePort(int number, const QString& rate = QStringLiteral("9600")) {
        AddPort(number);
        Store(QStringLiteral("PORT NUMBER"), QString::number(number));
        Store(QStringLiteral("BAUD RATE"), rate);
    }
    bool SettingsWritten() const { return QFile::exists(settingsFile()); }
    QString settingsFile() const { return config_.path() + "/Quadrel/" + settingsName_; }
    // Before program(): another name for the settings file.
    void setSettingsName(const QString& name) { settingsName_ = name; }
    QString stateFile() const { return config_.path() + "/state/Quadrel/state.ini"; }
    QString namesFile() const { return config_.path() + "/Quadrel/names.json"; }
    QString rolesFile() const { return config_.path() + "/Quadrel/roles.json"; }

    // Emulated lines instead of the scripted port (before program()), port 200
    // stored, the scan run by the core.
    sim::SimSerialPort& UseSimPort() {
        sim_ = std::make_unique<sim::SimSerialPort>(time);
        StorePort(200);
        return *sim_;
    }

    basMain& program() {
        if (!program_) {
            program_ = std::make_unique<basMain>(basMain::Environment{
                comm_, port(), time, messages, clock, settingsFile(), config_.path(),
                [] { return QString(); }, stateFile(), namesFile(), rolesFile()});
            program_->hooks().SetScanning = [this](bool on) {
                scans += on ? 1 : 0;
                if (sim_) {
                    program_->core().status.SetScanning(on);
                }
            };
        }
        return *program_;
    }
    // Ends the program as Exit does; the next program() starts a new one.
    void EndProgram() { program_.reset(); }
    SerialPort& port() { return sim_ ? static_cast<SerialPort&>(*sim_) : fake; }

    FakeSerialPort fake;
    RecordingMessages messages;
    FixedLogClock clock;
    VirtualClock time;
    int scans = 0;

private:
    TempFolders folders_;
    QTemporaryDir config_;
    QString settingsName_ = QStringLiteral("Quadrel.conf");
    std::map<int, std::unique_ptr<Pty>> ptys_;
    basCOMM comm_{folders_.folders()};
    std::unique_ptr<sim::SimSerialPort> sim_;
    std::unique_ptr<basMain> program_;
};

// Answers each new options dialog in order; one with no answer left is
// cancelled and counted, so a test never hangs on it.
class DialogAnswers {
public:
    using Answer = std::function<void(frmOptions&)>;
    DialogAnswers() {
        timer_.setInterval(2);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            auto* dialog = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
            if (dialog == nullptr || dialog == handled_ || !dialog->isVisible()) {
                return;
            }
            handled_ = dialog;
            if (shown_++ < static_cast<int>(answers_.size())) {
                answers_[static_cast<size_t>(shown_ - 1)](*dialog);
            } else {
                ++unanswered_;
                dialog->reject();
            }
        });
        timer_.start();
    }
    void Add(Answer answer) { answers_.push_back(std::move(answer)); }
    int shown() const { return shown_; }
    int unanswered() const { return unanswered_; }

private:
    std::vector<Answer> answers_;
    int shown_ = 0;
    int unanswered_ = 0;
    QPointer<QObject> handled_;
    QTimer timer_;
};

} // namespace quadrel::test
