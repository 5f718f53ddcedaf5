#pragma once

#include <QString>

namespace quadrel::sim {

// The alias comN by which the program finds the emulator's pseudo-terminal,
// guarded by a lock file comN.lock beside it that the serving emulator holds
// (flock) for as long as it runs, so a second emulator can tell a live alias
// from one left behind by an emulator that was killed.
class PortAlias {
public:
    PortAlias(QString aliasDir, int portNumber);
    ~PortAlias();
    PortAlias(const PortAlias&) = delete;
    PortAlias& operator=(const PortAlias&) = delete;

    // Points comN at `target`. False, with a message for the operator, when a
    // running emulator serves this port or the alias names something else
    // that still exists; a dangling alias or one left behind is replaced.
    bool claim(const QString& target, QString& error);
    // Removes the alias (if it still points at our target) and the lock file.
    void release();

    QString aliasPath() const;
    QString lockPath() const;

private:
    bool takeLock(QString& error);

    QString dir_;
    int port_;
    int lockFd_ = -1;
    QString target_;
};

} // namespace quadrel::sim
