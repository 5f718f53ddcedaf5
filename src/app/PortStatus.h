#pragma once

#include <QCoreApplication>

#include <QString>

#include <cstdint>
#include <functional>

namespace quadrel {

// What the operator needs to know about the line: which port, which rate,
// and whether it is open, could not be opened or was lost. Every open attempt
// and every loss is reported here; the main window's status line shows it.
class PortStatus {
    Q_DECLARE_TR_FUNCTIONS(PortStatus)

public:
    enum class State { None, Open, OpenFailed, Lost };

    void Opened(int portNumber, int32_t baudRate, const QString& devicePath);
    // `reason` is the port layer's explanation, possibly empty.
    void FailedToOpen(int portNumber, int32_t baudRate, const QString& devicePath,
                      const QString& reason);
    void Lost();

    State state() const { return state_; }
    int portNumber() const { return portNumber_; }
    int32_t baudRate() const { return baudRate_; }
    const QString& devicePath() const { return devicePath_; }

    // "COM7, 9600 baud: open" and the like, with what to do when it is not.
    QString Text() const;

    void setOnChanged(std::function<void()> onChanged) { onChanged_ = std::move(onChanged); }

private:
    void Changed();

    State state_ = State::None;
    int portNumber_ = 0;
    int32_t baudRate_ = 0;
    QString devicePath_;
    QString reason_;
    std::function<void()> onChanged_;
};

} // namespace quadrel
