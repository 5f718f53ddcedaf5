#pragma once

#include "app/MessageBoxes.h"
#include "app/basMain.h"
#include "app/frmOptions.h"
#include "link/VirtualClock.h"
#include "link/qt/QtSerialPort.h"
#include "support/FakeSerialPort.h"
#include "support/Pty.h"
#include "support/TempFolders.h"

#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <map>
#include <memory>

namespace quadrel::test {

class RecordingMessages : public MessageBoxes {
public:
    void MsgBox(QWidget*, const QString& text) override { texts << text; }
    QStringList texts;
};

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
    QString Stored(const QString& key) const;
    bool SettingsWritten() const;
    QString settingsFile() const {
        return config_.path() + QStringLiteral("/Quadrel/Quadrel.conf");
    }

    // Opens ports through QSerialPort instead of the scripted port.
    void UseRealPort();

    basMain& program();
    SerialPort& port() { return real_ ? static_cast<SerialPort&>(*real_) : fake; }

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
    std::unique_ptr<basMain> program_;
};

// Answers the modal dialog of type T each time a new one shows, in order.
// A dialog that shows with no answer left is cancelled and counted, so a test
// never hangs on it.
class DialogAnswers {
public:
    using Answer = std::function<void(frmOptions&)>;
    DialogAnswers();
    ~DialogAnswers();
    void Add(Answer answer) { answers_.push_back(std::move(answer)); }
    int shown() const { return shown_; }
    int unanswered() const { return unanswered_; }

private:
    std::vector<Answer> answers_;
    int shown_ = 0;
    int unanswered_ = 0;
    QPointer<QObject> handled_;
    std::unique_ptr<QObject> poll_;
};

} // namespace quadrel::test
