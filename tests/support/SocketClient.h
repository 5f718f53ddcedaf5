#pragma once

// A client on a bare non-blocking socket, so that a test decides what it
// writes, when it reads and whether it reads at all. It waits on the owner's
// event loop, which runs in the test's process.
#include "support/Pty.h"

#include <QByteArray>

#include <cerrno>
#include <functional>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace quadrel::test {

class SocketClient {
public:
    ~SocketClient() { Close(); }
    SocketClient(const SocketClient&) = delete;
    SocketClient& operator=(const SocketClient&) = delete;

    void Close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    bool Write(QByteArray bytes) {
        return WaitFor(
                   [&] {
                       const ssize_t n = ::send(fd_, bytes.constData(), bytes.size(), MSG_NOSIGNAL);
                       if (n > 0) {
                           bytes.remove(0, n);
                       }
                       return bytes.isEmpty() || (n < 0 && errno != EAGAIN && errno != EINPROGRESS);
                   },
                   std::chrono::seconds(10)) &&
               bytes.isEmpty();
    }
    // Waits until `done` holds of what was read, or the other end closed.
    bool ReadUntil(const std::function<bool(const QByteArray&)>& done,
                   std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return WaitFor(
            [&] {
                Fill();
                return done(buffer_) || ended_;
            },
            limit);
    }
    // The next line without its break; none by the deadline or at the end.
    std::optional<QByteArray> NextLine(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        ReadUntil([](const QByteArray& b) { return b.contains('\n'); }, limit);
        const qsizetype end = buffer_.indexOf('\n');
        if (end < 0) {
            return std::nullopt;
        }
        QByteArray line = buffer_.left(end);
        buffer_.remove(0, end + 1);
        return line;
    }
    // True once the other end has closed; what it said is kept.
    bool Ended(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        ReadUntil([](const QByteArray&) { return false; }, limit);
        return ended_;
    }
    // Reads and forgets whatever waits.
    qsizetype Drain() {
        Fill();
        const qsizetype n = buffer_.size();
        buffer_.clear();
        return n;
    }
    QByteArray& buffer() { return buffer_; }

protected:
    explicit SocketClient(int fd) : fd_(fd) {}
    int fd() const { return fd_; }

private:
    void Fill() {
        char chunk[65536];
        for (;;) {
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
            if (n > 0) {
                buffer_.append(chunk, n);
                continue;
            }
            ended_ = ended_ || n == 0 || (errno != EAGAIN && errno != EINTR);
            return;
        }
    }

    int fd_ = -1;
    QByteArray buffer_;
    bool ended_ = false;
};

} // namespace quadrel::test
