#include "support/Pty.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace quadrel::test {

Pty::Pty() {
    struct termios raw {};
    cfmakeraw(&raw);
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    slavePath_ = QString::fromLocal8Bit(name);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

Pty::~Pty() {
    hangUp();
}

void Pty::hangUp() {
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

void Pty::write(const QByteArray& bytes) {
    qsizetype done = 0;
    while (master_ >= 0 && done < bytes.size()) {
        const ssize_t n =
            ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n <= 0) {
            break;
        }
        done += n;
    }
}

QByteArray Pty::read(int atLeast, std::chrono::milliseconds wait) {
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (master_ >= 0) {
        char buffer[512];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            out.append(buffer, n);
            continue;
        }
        if (out.size() >= atLeast || clock.elapsed() >= wait.count()) {
            break;
        }
        // Keep the program under test running while we wait for its bytes.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        struct pollfd pfd {
            master_, POLLIN, 0
        };
        ::poll(&pfd, 1, 5);
    }
    return out;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= limit.count()) {
            return done();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

} // namespace quadrel::test
