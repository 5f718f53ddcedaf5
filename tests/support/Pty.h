#pragma once

#include "support/QtPrinters.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>

namespace quadrel::test {

// A raw pseudo-terminal pair for tests: the test holds the master side and a
// program under test opens the slave path.
class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master_ >= 0; }
    QString slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }

    // Closes both ends: the program on the slave side sees a hang-up.
    void hangUp();

private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
};

// Runs the Qt event loop until `done` holds or `limit` passes.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit);

} // namespace quadrel::test
