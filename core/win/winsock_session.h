// Scope object pairing WSAStartup with WSACleanup for one stretch of socket work.
#pragma once

#include <winsock2.h>

// Winsock counts its start-ups, so nested sessions (a test's server beside an exchange) are
// fine: each cleanup only undoes its own start-up.
class WinsockSession {
public:
    // Asks for Windows Sockets 1.1, all that one blocking HTTP exchange needs.
    WinsockSession() { started_ = WSAStartup(MAKEWORD(1, 1), &data_) == 0; }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    ~WinsockSession() { End(); }

    bool Started() const { return started_; }

    // Cleans up early, for callers that must finish with Winsock before the scope ends.
    void End() {
        if (started_) {
            WSACleanup();
            started_ = false;
        }
    }

private:
    WSADATA data_{};
    bool started_ = false;
};
