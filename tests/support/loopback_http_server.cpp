// A scripted HTTP server on a loopback address, for tests that must never reach the internet.
#include "tests/support/loopback_http_server.h"

#include <cstdio>

#include <ws2tcpip.h>

#include <chrono>

#include "core/win/bounded_socket.h"
#include "core/win/local_clock.h"

namespace {

// An answer whose Date header is the host's clock aheadMs ahead, cut to the whole second; in
// HTTP/1.1, and without a body, to a request that keeps the connection.
std::string AnswerStampedAheadBy(unsigned aheadMs, bool keptAlive) {
    const SerialDate stamp = CurrentUtcTime() + aheadMs / kMillisecondsPerDay;
    const DateTimeFields utc = SplitSerialDate(stamp);
    static constexpr const char* kDays[] = {"Sat", "Sun", "Mon", "Tue", "Wed", "Thu", "Fri"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char date[64];
    snprintf(date, sizeof date, "%s, %02d %s %04d %02d:%02d:%02d GMT",
             kDays[static_cast<long>(stamp) % 7], utc.Day, kMonths[utc.Month - 1], utc.Year,
             utc.Hour, utc.Minute, utc.Second);
    if (keptAlive) {
        return std::string("HTTP/1.1 200 OK\r\nDate: ") + date + "\r\nContent-Length: 0\r\n\r\n";
    }
    return std::string("HTTP/1.0 200 OK\r\nDate: ") + date + "\r\n\r\n";
}

constexpr unsigned kPollMs = 20;
constexpr unsigned kRequestReadTimeoutMs = 3000;
constexpr size_t kRequestLimitBytes = 16384;
constexpr unsigned kFillerConnectMs = 300;
constexpr int kMaxFillers = 16;

sockaddr_in LoopbackAddress(const char* address, uint16_t port) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    where.sin_addr.s_addr = inet_addr(address);
    return where;
}

UniqueSocket Listen(const char* address, uint16_t port, int backlog, uint16_t* boundPort) {
    UniqueSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!listener) {
        return {};
    }
    const sockaddr_in where = LoopbackAddress(address, port);
    if (bind(listener.get(), reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0 ||
        listen(listener.get(), backlog) != 0) {
        return {};
    }
    sockaddr_in bound{};
    int length = sizeof bound;
    if (getsockname(listener.get(), reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        return {};
    }
    *boundPort = ntohs(bound.sin_port);
    return listener;
}

bool Readable(SOCKET socket, unsigned timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval limit{0, static_cast<long>(timeoutMs) * 1000};
    return select(0, &readable, nullptr, nullptr, &limit) == 1;
}

// Reads up to the empty line that ends the request head (or until the peer stops sending).
std::string ReadRequest(SOCKET connection) {
    SetReceiveTimeout(connection, kRequestReadTimeoutMs);
    std::string request;
    char chunk[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kRequestLimitBytes) {
        const int received = recv(connection, chunk, sizeof chunk, 0);
        if (received <= 0) {
            break;
        }
        request.append(chunk, static_cast<size_t>(received));
    }
    return request;
}

void SendAll(SOCKET connection, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const int count =
            send(connection, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
        if (count <= 0) {
            return;
        }
        sent += static_cast<size_t>(count);
    }
}

}  // namespace

ConnectionScript Answer(std::string bytes) {
    return {ConnectionScript::Kind::Answer, std::move(bytes), {}, 0};
}

ConnectionScript AnswerInTwoSegments(std::string first, std::string second, unsigned pauseMs) {
    return {ConnectionScript::Kind::AnswerInTwoSegments, std::move(first), std::move(second),
            pauseMs};
}

ConnectionScript StaySilent() {
    return {ConnectionScript::Kind::StaySilent, {}, {}, 0};
}

ConnectionScript AnswerWithClock(unsigned aheadMs) {
    return {ConnectionScript::Kind::AnswerWithClock, {}, {}, aheadMs};
}

ConnectionScript CloseAtOnce() {
    return {ConnectionScript::Kind::CloseAtOnce, {}, {}, 0};
}

LoopbackHttpServer::LoopbackHttpServer(std::vector<ConnectionScript> scripts, const char* address,
                                       uint16_t port)
    : scripts_(std::move(scripts)) {
    if (!session_.Started()) {
        return;
    }
    listener_ = Listen(address, port, SOMAXCONN, &port_);
    if (listener_) {
        thread_ = std::thread([this] { Serve(); });
    }
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stopping_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::vector<std::string> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

size_t LoopbackHttpServer::Connections() const {
    std::lock_guard lock(mutex_);
    return connections_;
}

void LoopbackHttpServer::Serve() {
    while (!stopping_) {
        if (!Readable(listener_.get(), kPollMs)) {
            continue;
        }
        UniqueSocket connection(accept(listener_.get(), nullptr, nullptr));
        if (!connection) {
            continue;
        }
        size_t index = 0;
        {
            // Counted before anything is sent, so a client that has its answer sees the count.
            std::lock_guard lock(mutex_);
            index = connections_++;
        }
        const ConnectionScript script = index < scripts_.size() ? scripts_[index] : CloseAtOnce();
        Handle(std::move(connection), script);
    }
}

std::string LoopbackHttpServer::TakeRequest(SOCKET connection) {
    std::string request = ReadRequest(connection);
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
    return request;
}

void LoopbackHttpServer::Handle(UniqueSocket connection, const ConnectionScript& script) {
    if (script.What == ConnectionScript::Kind::CloseAtOnce) {
        std::lock_guard lock(mutex_);
        requests_.emplace_back();
        return;
    }
    std::string request = TakeRequest(connection.get());
    switch (script.What) {
        case ConnectionScript::Kind::Answer:
            SendAll(connection.get(), script.First);
            shutdown(connection.get(), SD_SEND);
            break;
        case ConnectionScript::Kind::AnswerInTwoSegments:
            SendAll(connection.get(), script.First);
            std::this_thread::sleep_for(std::chrono::milliseconds(script.PauseMs));
            SendAll(connection.get(), script.Second);
            shutdown(connection.get(), SD_SEND);
            break;
        case ConnectionScript::Kind::StaySilent: {
            std::lock_guard lock(mutex_);
            held_.push_back(std::move(connection));
            break;
        }
        case ConnectionScript::Kind::AnswerWithClock:
            // Kept alive for as long as the client asks in HTTP/1.1.
            while (request.find(" HTTP/1.1\r\n") != std::string::npos && !stopping_) {
                SendAll(connection.get(), AnswerStampedAheadBy(script.PauseMs, true));
                request = TakeRequest(connection.get());
                if (request.empty()) {
                    return;
                }
            }
            SendAll(connection.get(), AnswerStampedAheadBy(script.PauseMs, false));
            shutdown(connection.get(), SD_SEND);
            break;
        case ConnectionScript::Kind::CloseAtOnce:
            break;
    }
}

StalledListener::StalledListener(const char* address, uint16_t port) {
    if (!session_.Started()) {
        return;
    }
    uint16_t bound = 0;
    listener_ = Listen(address, port, 1, &bound);
    if (!listener_) {
        return;
    }
    // Nobody accepts: once the queue is full the system drops further connection requests,
    // and a connect then waits for an answer that never comes.
    const sockaddr_in target = LoopbackAddress(address, bound);
    for (int count = 0; count < kMaxFillers; ++count) {
        UniqueSocket filler(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        if (!filler) {
            return;
        }
        const bool connected =
            ConnectWithin(filler.get(), reinterpret_cast<const sockaddr*>(&target), sizeof target,
                          kFillerConnectMs);
        fillers_.push_back(std::move(filler));
        if (!connected) {
            stalled_ = true;
            return;
        }
    }
}
