#include "sim/PtyLine.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace quadrel::sim {

PtyLine::PtyLine(ProtocolEngine& engine, QObject* parent) : QObject(parent), engine_(engine) {}

PtyLine::~PtyLine() {
    engine_.setOutput({});
    delete notifier_;
    if (slave_ >= 0) {
        ::close(slave_);
    }
    if (master_ >= 0) {
        ::close(master_);
    }
}

bool PtyLine::open(QString& error) {
    struct termios raw {};
    ::cfmakeraw(&raw);
    ::cfsetispeed(&raw, B9600);
    ::cfsetospeed(&raw, B9600);
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
        error = QStringLiteral("can not open a pseudo-terminal: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(errno)));
        master_ = slave_ = -1;
        return false;
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    slavePath_ = QString::fromLocal8Bit(name);
    notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { readAvailable(); });
    engine_.setOutput([this](const Bytes& bytes) { writeAll(bytes); });
    return true;
}

void PtyLine::readAvailable() {
    Bytes bytes;
    for (;;) {
        uint8_t buffer[512];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    if (!bytes.empty()) {
        engine_.hostWrite(bytes);
    }
}

void PtyLine::writeAll(const Bytes& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            // Nobody reads the slave: wait a little for room, then give up
            // the rest as a real line would lose it.
            struct pollfd pfd {
                master_, POLLOUT, 0
            };
            if (::poll(&pfd, 1, 50) > 0) {
                continue;
            }
        }
        break;
    }
}

} // namespace quadrel::sim
