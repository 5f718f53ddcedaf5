#pragma once

// A TCP client on a bare socket, so that a test decides what it writes,
// when it reads and whether it reads at all. It waits on the owner's event
// loop, which runs in the test's process.
#include "SimProcess.h"

#include <QByteArray>

#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quadrel::test {

class TcpClient {
public:
    explicit TcpClient(quint16 port, int receiveBuffer = 0) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (receiveBuffer > 0) {
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
    ~TcpClient() { ::close(fd_); }
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

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
    // The status of the next HTTP answer, 0 when none came before the end.
    int Status(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        ReadUntil([](const QByteArray& b) { return b.contains("\r\n\r\n"); }, limit);
        if (!buffer_.startsWith("HTTP/1.1 ")) {
            return 0;
        }
        return buffer_.mid(9, 3).toInt();
    }
    bool Ended(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        return WaitFor(
            [&] {
                Fill();
                return ended_;
            },
            limit);
    }
    QByteArray& buffer() { return buffer_; }

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
