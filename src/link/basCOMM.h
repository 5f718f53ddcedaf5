#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace quadrel {

// Where the port probe looks. Production takes them from the environment;
// tests point them at temporary folders, so no test sees this machine's ports.
struct PortFolders {
    QString aliasDir;                                     // holds the aliases comN
    QString devDir = QStringLiteral("/dev");              // device nodes of the fixed map
    QString sysTtyDir = QStringLiteral("/sys/class/tty"); // the kernel's tty list

    // $XDG_CONFIG_HOME/Quadrel/ports (default ~/.config/Quadrel/ports), /dev, /sys/class/tty.
    static PortFolders FromEnvironment();
};

// Serial port discovery: port numbers 1 to 255 and the two baud rates. Port N
// is the alias comN when one exists, else ttyS (1-32), ttyUSB (33-64) or
// ttyACM (65-96). The probe never opens a device, so it neither waits nor
// raises a real UART's modem lines, and a port held by another program still
// counts as present.
class basCOMM {
    Q_DECLARE_TR_FUNCTIONS(basCOMM)

public:
    static constexpr int kMaxPortNumber = 255;

    explicit basCOMM(PortFolders folders = PortFolders::FromEnvironment());

    bool EnumSerPorts(int portNumber) const;
    void GetExistPort();
    void GetValidBaudRate();
    bool IsExistPort(const QString& text) const;
    bool IsValidBaudRate(const QString& text) const;

    const QStringList& PortList() const { return ports_; }
    const QStringList& BaudRateList() const { return baudRates_; }

    // The device a port number stands for (an alias resolved to its target),
    // or empty when the number names no serial port.
    QString DevicePath(int portNumber) const;
    // A short human description of the port, for tool tips.
    QString Description(int portNumber) const;

    const PortFolders& folders() const { return folders_; }

private:
    struct Probe {
        bool exists = false;
        QString device;
        QString kind;
    };
    Probe ProbePort(int portNumber) const;
    Probe ProbeDevice(const QString& path, bool aliasTarget) const;
    QString FixedMapName(int portNumber) const;

    PortFolders folders_;
    QStringList ports_;
    QStringList baudRates_;
};

} // namespace quadrel
