#pragma once

#include "SimProcess.h"
#include "support/SocketClient.h"

#include <netinet/in.h>

namespace quadrel::test {

// A loopback TCP client (see SocketClient).
class TcpClient : public SocketClient {
public:
    explicit TcpClient(quint16 port, int receiveBuffer = 0)
        : SocketClient(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {
        if (receiveBuffer > 0) {
            ::setsockopt(fd(), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
    // The status of the next HTTP answer, 0 when none came before the end.
    int Status(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        ReadUntil([](const QByteArray& b) { return b.contains("\r\n\r\n"); }, limit);
        return buffer().startsWith("HTTP/1.1 ") ? buffer().mid(9, 3).toInt() : 0;
    }
};

} // namespace quadrel::test
