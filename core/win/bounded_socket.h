// Connecting and reading with upper bounds, so that a peer that never answers cannot hold us.
#pragma once

#include <winsock2.h>

#include <cstdint>

// Connects a blocking stream socket to an IPv4 address (network byte order) and port, giving
// up after timeoutMs. The socket is blocking again afterwards. True when connected.
bool ConnectWithin(SOCKET socket, uint32_t address, uint16_t port, unsigned timeoutMs);

// Makes every later recv on the socket fail (WSAETIMEDOUT) after timeoutMs without data.
bool SetReceiveTimeout(SOCKET socket, unsigned timeoutMs);
