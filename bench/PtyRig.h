#pragma once

// A real line for benchmarks: quadrel-sim on a pseudo-terminal as port N of a
// temporary configuration folder, and the whole core on the production port
// and timers, drawing on nothing.
#include "TraceSpan.h"
#include "link/LinkTrace.h"
#include "link/PortOpening.h"
#include "link/basCOMM.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimer.h"
#include "model/QuadrelCore.h"
#include "model/ViewsHub.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace quadrel::bench {

// Forwards to the real port and notes when input arrived and output left.
class TimingPort : public SerialPort {
public:
    explicit TimingPort(SerialPort& inner) : inner_(inner) {
        clock_.start();
        Handlers h;
        h.received = [this] {
            lastArrival_ = clock_.nsecsElapsed();
            notifyReceived();
        };
        h.drained = [this] { notifyDrained(); };
        h.lost = [this] { notifyLost(); };
        inner_.setHandlers(h);
    }
    ~TimingPort() override { inner_.setHandlers({}); }

    bool open(int n, const QString& s) override { return inner_.open(n, s); }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    int portNumber() const override { return inner_.portNumber(); }
    QString settings() const override { return inner_.settings(); }
    void write(const Bytes& bytes) override {
        if (lastArrival_ >= 0) {
            turnarounds.push_back(static_cast<double>(clock_.nsecsElapsed() - lastArrival_) / 1e3);
            lastArrival_ = -1;
        }
        bytesWritten += static_cast<long long>(bytes.size());
        inner_.write(bytes);
    }
    Bytes readAll() override {
        Bytes b = inner_.readAll();
        bytesRead += static_cast<long long>(b.size());
        return b;
    }
    int outputBufferSize() const override { return inner_.outputBufferSize(); }
    bool getTimeouts(PortTimeouts& t) const override { return inner_.getTimeouts(t); }
    bool setTimeouts(const PortTimeouts& t) override { return inner_.setTimeouts(t); }

    std::vector<double> turnarounds; // µs from an arrival to the next write
    long long bytesWritten = 0;
    long long bytesRead = 0;

private:
    SerialPort& inner_;
    QElapsedTimer clock_;
    qint64 lastArrival_ = -1;
};

struct NoTrace : LinkTrace {
    void LogSend(const Bytes&) override {}
    void LogRecv(const Bytes&) override {}
};

class PtyRig {
public:
    // Starts quadrel-sim with `simArgs` as port `portNumber`.
    PtyRig(const QString& simPath, int portNumber, QStringList simArgs) : portNumber_(portNumber) {
        PortFolders folders;
        folders.aliasDir = dir_.path() + "/Quadrel/ports";
        comm_ = std::make_unique<basCOMM>(folders);
        real_ = std::make_unique<QtSerialPort>(*comm_);
        port = std::make_unique<TimingPort>(*real_);
        core = std::make_unique<QuadrelCore>(*port, timers_, trace_, views);
        QStringList args{"--port", QString::number(portNumber)};
        args += simArgs;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir_.path());
        sim_.setProcessEnvironment(env);
        sim_.setProgram(simPath);
        sim_.setArguments(args);
        sim_.start();
        const QString alias = folders.aliasDir + QString("/com%1").arg(portNumber);
        Wait([&] { return QFileInfo(alias).exists(); }, std::chrono::seconds(10));
    }
    ~PtyRig() {
        core.reset();
        sim_.terminate();
        sim_.waitForFinished(5000);
    }

    bool Open(int baud) { return OpenCommPort(*port, portNumber_, baud); }

    // Runs the event loop until `done` or the limit; true when done.
    static bool Wait(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        return bench::Wait(done, limit);
    }

    ViewsHub views;
    std::unique_ptr<TimingPort> port;
    std::unique_ptr<QuadrelCore> core;

private:
    QTemporaryDir dir_;
    int portNumber_;
    std::unique_ptr<basCOMM> comm_;
    std::unique_ptr<QtSerialPort> real_;
    QtTimerFactory timers_;
    NoTrace trace_;
    QProcess sim_;
};

inline double Percentile(std::vector<double> v, double p) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())));
    return v[i];
}

} // namespace quadrel::bench
