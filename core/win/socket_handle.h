// Owner of a Winsock socket: closed with closesocket when the owner goes.
#pragma once

#include <winsock2.h>

#include "core/win/unique_handle.h"

struct SocketTraits {
    using Type = SOCKET;
    static Type Invalid() { return INVALID_SOCKET; }
    static void Close(Type socket) { closesocket(socket); }
};
using UniqueSocket = UniqueHandle<SocketTraits>;
