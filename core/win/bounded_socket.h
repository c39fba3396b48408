// Connecting and reading with upper bounds, so that a peer that never answers cannot hold us.
#pragma once

#include <winsock2.h>

// Connects a blocking stream socket to an address (IPv4 or IPv6, its port set), giving up after
// timeoutMs. The socket is blocking again afterwards. True when connected.
bool ConnectWithin(SOCKET socket, const sockaddr* address, int addressLength, unsigned timeoutMs);

// Makes every later recv on the socket fail (WSAETIMEDOUT) after timeoutMs without data.
bool SetReceiveTimeout(SOCKET socket, unsigned timeoutMs);
