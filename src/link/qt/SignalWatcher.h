#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace quadrel {

// Turns SIGINT, SIGTERM and SIGHUP into a call on the event loop, through a
// signalfd, so the emulator can tidy up (a port alias, a lock file) before it ends. Block()
// must run before any thread starts, so no thread takes the signals instead.
class SignalWatcher : public QObject {
public:
    static void Block();
    // A watched signal that has arrived and not yet been read, or 0: for the
    // stretches where the event loop does not run.
    static int Pending();

    explicit SignalWatcher(std::function<void(int)> onSignal, QObject* parent = nullptr);
    ~SignalWatcher() override;

private:
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    std::function<void(int)> onSignal_;
};

} // namespace quadrel
