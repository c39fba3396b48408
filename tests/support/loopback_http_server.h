// A scripted HTTP server on a loopback address, for tests that must never reach the internet.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/win/socket_handle.h"
#include "core/win/winsock_session.h"

// What the server does with one accepted connection.
struct ConnectionScript {
    enum class Kind {
        Answer,               // reads the request, sends First, closes
        AnswerInTwoSegments,  // reads the request, sends First, waits PauseMs, sends Second
        StaySilent,           // reads the request and keeps the connection open until the end
        CloseAtOnce,          // closes right after accepting, without reading
        AnswerWithClock,      // reads the request, answers with a Date header of the host's
                              // clock PauseMs ahead (a whole second, as servers send); answers
                              // HTTP/1.1 requests on the connection for as long as they come
    };
    Kind What = Kind::Answer;
    std::string First;
    std::string Second;
    unsigned PauseMs = 0;
};

ConnectionScript Answer(std::string bytes);
ConnectionScript AnswerInTwoSegments(std::string first, std::string second, unsigned pauseMs);
ConnectionScript StaySilent();
ConnectionScript CloseAtOnce();
ConnectionScript AnswerWithClock(unsigned aheadMs);

// Serves on its own thread. The n-th accepted connection follows scripts[n]; connections
// beyond the list are closed at once. Stops (and drops held connections) when destroyed.
class LoopbackHttpServer {
public:
    // port 0 takes an ephemeral port.
    explicit LoopbackHttpServer(std::vector<ConnectionScript> scripts,
                                const char* address = "127.0.0.1", uint16_t port = 0);
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;
    ~LoopbackHttpServer();

    bool Listening() const { return static_cast<bool>(listener_); }
    uint16_t Port() const { return port_; }
    // The bytes of every request, in order (empty for CloseAtOnce, one per connection but on a
    // kept-alive one).
    std::vector<std::string> Requests() const;
    size_t Connections() const;

private:
    void Serve();
    void Handle(UniqueSocket connection, const ConnectionScript& script);
    std::string TakeRequest(SOCKET connection);

    WinsockSession session_;  // keeps Winsock up whatever the code under test cleans up
    UniqueSocket listener_;
    uint16_t port_ = 0;
    std::vector<ConnectionScript> scripts_;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    size_t connections_ = 0;
    std::vector<UniqueSocket> held_;  // silent connections, closed at the end
    std::thread thread_;
};

// A listening socket whose queue is full, so that a further connect is never completed: the
// peer takes no part. Bound to address:port.
class StalledListener {
public:
    StalledListener(const char* address, uint16_t port);
    bool Stalled() const { return stalled_; }

private:
    WinsockSession session_;
    UniqueSocket listener_;
    std::vector<UniqueSocket> fillers_;
    bool stalled_ = false;
};
