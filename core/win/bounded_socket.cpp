// Connecting and reading with upper bounds, so that a peer that never answers cannot hold us.
#include "core/win/bounded_socket.h"

namespace {

bool SetBlocking(SOCKET socket, bool blocking) {
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

}  // namespace

bool ConnectWithin(SOCKET socket, const sockaddr* address, int addressLength, unsigned timeoutMs) {
    // A plain blocking connect to a host that drops our packets waits as long as the system
    // likes (minutes); connecting without blocking and waiting in select bounds that.
    if (!SetBlocking(socket, false)) {
        return false;
    }
    if (connect(socket, address, addressLength) != 0) {
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) {
            return false;
        }
        fd_set writable;
        fd_set failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket, &writable);
        FD_SET(socket, &failed);
        timeval limit{};
        limit.tv_sec = static_cast<long>(timeoutMs / 1000);
        limit.tv_usec = static_cast<long>(timeoutMs % 1000) * 1000;
        // Windows reports a refused connection in the failed set, others in the writable set
        // with SO_ERROR telling which; asking SO_ERROR covers both.
        if (select(0, nullptr, &writable, &failed, &limit) != 1) {
            return false;
        }
        int socketError = 0;
        int length = sizeof socketError;
        if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&socketError),
                       &length) != 0 ||
            socketError != 0 || FD_ISSET(socket, &failed)) {
            return false;
        }
    }
    return SetBlocking(socket, true);
}

bool SetReceiveTimeout(SOCKET socket, unsigned timeoutMs) {
    const DWORD limitMs = timeoutMs;
    return setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limitMs),
                      sizeof limitMs) == 0;
}
