#pragma once

#include "link/SerialPort.h"
#include "link/VirtualClock.h"
#include "sim/ProtocolEngine.h"
#include "sim/VirtualScheduler.h"

#include <memory>
#include <utility>
#include <vector>

namespace quadrel::sim {

// The emulated line as a serial port, in virtual time: what the program writes
// reaches the units after its wire time, answers arrive with theirs, and the
// port reports arrival and drain through events on the clock, never from
// inside a call the program made. Closing the port stops nothing on the wire:
// after a reopen the rest of an answer in flight still arrives. Every port
// number opens the same line, except those given lines of their own with
// addLine(). The clock must outlive the port.
class SimSerialPort : public SerialPort {
public:
    explicit SimSerialPort(VirtualClock& clock, LineConfig config = {});
    ~SimSerialPort() override;

    // The line of every port number without one of its own.
    ProtocolEngine& engine() { return *lines_.front().engine; }
    // A second, independent line, opened as `portNumber`.
    ProtocolEngine& addLine(int portNumber, LineConfig config = {});

    // Port numbers the port refuses to open (none by default).
    void setRefusedPort(int portNumber) { refusedPort_ = portNumber; }
    // The line vanishes, as a pulled adapter: the port closes and says so.
    void loseLine();

    bool open(int portNumber, const QString& settings) override;
    void close() override;
    bool isOpen() const override { return open_; }
    int portNumber() const override { return portNumber_; }
    QString settings() const override { return settings_; }

    void write(const Bytes& bytes) override;
    Bytes readAll() override { return std::exchange(received_, {}); }

    int outputBufferSize() const override { return 4096; }
    bool getTimeouts(PortTimeouts& timeouts) const override;
    bool setTimeouts(const PortTimeouts& timeouts) override;

    // Bytes written so far, for tests.
    const Bytes& written() const { return written_; }

private:
    struct Line {
        int portNumber = 0; // 0: every number without a line of its own
        std::unique_ptr<ProtocolEngine> engine;
    };

    ProtocolEngine& lineOf(int portNumber);
    void later(VirtualClock::Duration delay, std::function<void()> call);

    VirtualClock& clock_;
    VirtualScheduler scheduler_;
    std::vector<Line> lines_;
    ProtocolEngine* current_ = nullptr; // the line of the open port
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool open_ = false;
    int portNumber_ = 0;
    int refusedPort_ = -1;
    QString settings_;
    PortTimeouts timeouts_;
    Bytes received_;
    Bytes written_;
    uint64_t session_ = 0; // bumped at each close, so old events fall silent
};

} // namespace quadrel::sim
