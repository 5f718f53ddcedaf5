#pragma once

// quadrel-sim as a child process with --trace, in a temporary configuration
// folder, and what its trace says went over the line.
#include "link/Bytes.h"
#include "link/CommandCodes.h"
#include "link/basCRC8_Dallas_1_Wire.h"
#include "support/Pty.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <chrono>
#include <utility>
#include <vector>

namespace quadrel::test {

class SimProcess {
public:
    SimProcess() {
        QDir(config_.path()).mkpath(QStringLiteral("Quadrel"));
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
        // The program keeps its window placement there: a temporary folder too.
        env_.insert(QStringLiteral("XDG_STATE_HOME"), config_.path() + QStringLiteral("/state"));
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    ~SimProcess() { Stop(); }

    QString configDir() const { return config_.path(); }
    QString settingsFile() const {
        return config_.path() + QStringLiteral("/Quadrel/Quadrel.conf");
    }
    QString aliasDir() const { return config_.path() + QStringLiteral("/Quadrel/ports"); }
    const QProcessEnvironment& env() const { return env_; }

    // The program's test profile: the emulator's port at `baud`, then `more`.
    bool WriteSettings(int port, int baud, const QString& more = {}) const {
        QFile conf(settingsFile());
        return conf.open(QIODevice::WriteOnly) &&
               conf.write(QStringLiteral("[COM]\nPORT%20NUMBER=%1\nBAUD%20RATE=%2\n")
                              .arg(port)
                              .arg(baud)
                              .toUtf8() +
                          more.toUtf8()) > 0;
    }

    // Starts the emulator as port `port` and waits for its alias.
    bool Start(int port, const QStringList& args) {
        sim_.setProcessEnvironment(env_);
        sim_.start(QStringLiteral(QUADREL_SIM_PATH),
                   QStringList{"--trace", "--port", QString::number(port)} + args);
        if (!sim_.waitForStarted(5000)) {
            return false;
        }
        const QString alias = aliasDir() + QStringLiteral("/com%1").arg(port);
        return WaitFor([&] { return QFileInfo(alias).isSymLink(); }, std::chrono::seconds(5));
    }
    void Stop() { End(sim_); }
    // Ends a child process, by force if SIGTERM is not enough.
    static void End(QProcess& p) {
        if (p.state() != QProcess::NotRunning) {
            p.terminate();
            if (!p.waitForFinished(5000)) {
                p.kill();
                p.waitForFinished(2000);
            }
        }
    }
    QProcess& process() { return sim_; }
    // Waits for a child process to say `text` on standard error; `said`
    // gathers all it has said.
    static bool WaitToSay(QProcess& p, QString& said, const QString& text,
                          std::chrono::milliseconds limit) {
        return WaitFor(
            [&] {
                said += QString::fromUtf8(p.readAllStandardError());
                return said.contains(text);
            },
            limit);
    }

    // Every frame on the line in order: (true, bytes) for what the program
    // wrote, (false, bytes) for what a unit answered; with what already
    // waits in the pipe, as the event loop may not have run since.
    std::vector<std::pair<bool, QString>> Lines() {
        while (sim_.waitForReadyRead(0)) {
        }
        trace_ += QString::fromUtf8(sim_.readAllStandardOutput());
        std::vector<std::pair<bool, QString>> out;
        static const QRegularExpression line(
            QStringLiteral("^\\s*[0-9.]+\\s+(in|out)\\s+([0-9A-F ]+?)(\\s\\s|$)"));
        for (const QString& text : trace_.split('\n')) {
            const auto m = line.match(text);
            if (m.hasMatch()) {
                out.emplace_back(m.captured(1) == QLatin1String("in"), m.captured(2).trimmed());
            }
        }
        return out;
    }
    QStringList Requests() {
        QStringList out;
        for (const auto& [in, bytes] : Lines()) {
            if (in) {
                out << bytes;
            }
        }
        return out;
    }
    // The unit's answer to the last time `request` was written, if any.
    QString AnswerTo(const QString& request) {
        const auto lines = Lines();
        QString answer;
        for (size_t i = 0; i + 1 < lines.size(); ++i) {
            if (lines[i].first && lines[i].second == request && !lines[i + 1].first) {
                answer = lines[i + 1].second;
            }
        }
        return answer;
    }
    // The settings among the requests after the first `from`.
    QStringList SettingsSince(qsizetype from) {
        QStringList out;
        for (const QString& frame : Requests().mid(from)) {
            if (IsSetCommand(static_cast<uint8_t>(frame.mid(3, 2).toInt(nullptr, 16)))) {
                out << frame;
            }
        }
        return out;
    }
    bool WaitForRequest(const QString& frame, std::chrono::milliseconds limit) {
        return WaitFor([&] { return Requests().contains(frame); }, limit);
    }
    const QString& trace() const { return trace_; }

    // A request as the trace prints it.
    static QString Frame(uint8_t id, uint8_t code, uint8_t d0, uint8_t d1) {
        const Bytes f = {static_cast<uint8_t>(0x20 | id), code, d0, d1};
        const char frame[] = {char(f[0]), char(code), char(d0), char(d1),
                              char(basCRC8_Dallas_1_Wire::CalculateCrc8(f, 4))};
        return QString::fromLatin1(QByteArray(frame, 5).toHex(' ').toUpper());
    }

private:
    QTemporaryDir config_;
    QProcessEnvironment env_;
    QProcess sim_;
    QString trace_;
};

} // namespace quadrel::test
