#include "link/qt/SignalWatcher.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace quadrel {
namespace {

sigset_t Watched() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

int SignalWatcher::Pending() {
    sigset_t pending;
    sigemptyset(&pending);
    if (::sigpending(&pending) != 0) {
        return 0;
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        if (sigismember(&pending, signal) == 1) {
            return signal;
        }
    }
    return 0;
}

void SignalWatcher::Block() {
    const sigset_t set = Watched();
    ::sigprocmask(SIG_BLOCK, &set, nullptr);
}

SignalWatcher::SignalWatcher(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    const sigset_t set = Watched();
    fd_ = ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd_ < 0) {
        return;
    }
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        struct signalfd_siginfo info {};
        while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            if (onSignal_) {
                onSignal_(static_cast<int>(info.ssi_signo));
            }
        }
    });
}

SignalWatcher::~SignalWatcher() {
    delete notifier_;
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

} // namespace quadrel
