// Asking the time sources over HTTP/1.0 for their Date header, and narrowing the answer down.
#include "core/win/network_time.h"

#include <winsock2.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "core/date_header.h"
#include "core/time_sources.h"
#include "core/win/bounded_socket.h"
#include "core/win/local_clock.h"
#include "core/win/precise_wait.h"
#include "core/win/socket_handle.h"
#include "core/win/winsock_session.h"

namespace {

// What one exchange is to do.
struct ExchangePlan {
    std::string_view Url;
    uint16_t Port = kTimeSourcePort;
    uint32_t KnownAddress = 0;     // 0: resolve the URL's host
    SerialDate SendAtUtc = 0.0;    // 0: at once
    SerialDate DeadlineUtc = 0.0;  // 0: none beyond the limits below
    unsigned ConnectLimitMs = kConnectTimeoutMs;
    unsigned ReadLimitMs = kReadTimeoutMs;
};

// The bytes of one answer and the computer's clock around the exchange.
struct TimedExchange {
    std::string Received;  // empty on any failure
    SerialDate UtcBeforeSend = 0.0;
    SerialDate UtcAfterRead = 0.0;
    uint32_t Address = 0;
    double ConnectDays = 0.0;
};

// A limit cut to what is left before the deadline; 0 when nothing is.
unsigned LimitBefore(SerialDate deadlineUtc, unsigned limitMs) {
    if (deadlineUtc == 0.0) {
        return limitMs;
    }
    const double leftMs = (deadlineUtc - CurrentUtcTime()) * kMillisecondsPerDay;
    return leftMs < 1.0 ? 0 : static_cast<unsigned>(std::min(leftMs, static_cast<double>(limitMs)));
}

// One connection, one request, one read: the bytes of that read, or empty on any failure.
// Winsock is started and cleaned up here, so that every exchange stands on its own.
TimedExchange ExchangeOnce(const ExchangePlan& plan) {
    TimedExchange exchange;
    WinsockSession session;
    if (!session.Started()) {
        return exchange;
    }
    std::string host;
    std::string path;
    int urlPort = 0;  // what the scheme says is not used: every source is asked over plain HTTP
    SplitUrl(plan.Url, host, path, urlPort);
    if (host.empty()) {
        return exchange;
    }
    exchange.Address = plan.KnownAddress != 0 ? plan.KnownAddress : ResolveHostAddress(host);
    if (exchange.Address == 0) {
        return exchange;
    }
    // Declared after the session, so it is closed before the session's WSACleanup.
    UniqueSocket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    const unsigned connectMs = LimitBefore(plan.DeadlineUtc, plan.ConnectLimitMs);
    if (!socket || connectMs == 0) {
        return exchange;
    }
    const double beforeConnectMs = MonotonicMs();
    if (!ConnectWithin(socket.get(), exchange.Address, plan.Port, connectMs)) {
        return exchange;
    }
    exchange.ConnectDays = (MonotonicMs() - beforeConnectMs) / kMillisecondsPerDay;
    const std::string request = BuildDateRequest(host, path);
    if (plan.SendAtUtc != 0.0) {
        WaitPreciselyMs((plan.SendAtUtc - CurrentUtcTime()) * kMillisecondsPerDay);
    }
    const unsigned readMs = LimitBefore(plan.DeadlineUtc, plan.ReadLimitMs);
    if (readMs == 0 || !SetReceiveTimeout(socket.get(), readMs)) {
        return exchange;
    }
    // The stamps hold the source's answer between them as tightly as we can: the connection
    // is already made, and nothing but the read comes between the request and the second one.
    exchange.UtcBeforeSend = CurrentUtcTime();
    if (send(socket.get(), request.data(), static_cast<int>(request.size()), 0) == SOCKET_ERROR) {
        return exchange;
    }
    // Only this one read is ever looked at: a Date header that arrives later does not count.
    std::array<char, kResponseBufferBytes> buffer{};
    const int received = recv(socket.get(), buffer.data(), static_cast<int>(buffer.size()), 0);
    exchange.UtcAfterRead = CurrentUtcTime();
    shutdown(socket.get(), SD_BOTH);
    socket.reset();
    session.End();
    if (received > 0) {
        // A byte count, not a terminated string: an answer may hold NUL bytes before the header.
        exchange.Received.assign(buffer.data(), static_cast<size_t>(received));
    }
    return exchange;
}

// Written straight to the handle so that the CR LF goes out as it is (the C runtime's text
// mode would double the CR) and nothing waits in a buffer when the process ends.
void WriteTraceLine(std::string_view url) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) {
        return;  // started without a standard output: nowhere to trace to
    }
    std::string line(url);
    line += "\r\n";
    DWORD written = 0;
    WriteFile(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// The exchange's answer as a reading: HeaderUtc stays 0 unless it holds a Date header with a
// time that can be true. The trace line, when asked for, goes out for any "Date:" header line.
NetworkReading ReadingOf(const ExchangePlan& plan, bool traced) {
    const TimedExchange exchange = ExchangeOnce(plan);
    NetworkReading reading;
    if (exchange.Received.empty()) {
        return reading;
    }
    const DateHeaderScan scan = ScanForDateHeader(exchange.Received);
    if (scan.MarkerFound && traced) {
        WriteTraceLine(plan.Url);
    }
    // A value that does not parse, or gives a time that cannot be today's, is no answer.
    const SerialDate utc = scan.Value.empty() ? 0.0 : ParseDateHeaderValue(scan.Value);
    if (utc > 0.0 && IsBelievableSourceTime(utc, ProgramBuildDay())) {
        reading = {utc, exchange.UtcBeforeSend, exchange.UtcAfterRead, exchange.ConnectDays,
                   exchange.Address};
    }
    return reading;
}

// Exchanges with the source that answered first, on behalf of RefineOffset.
class SourceLink final : public RefinementLink {
public:
    SourceLink(const NetworkReading& first, std::string_view url, uint16_t port,
               NarrowedCallback narrowed, void* context)
        : first_(first), url_(url), port_(port), narrowed_(narrowed), context_(context) {}

    SerialDate NowUtc() override { return CurrentUtcTime(); }

    NetworkReading ExchangeAt(SerialDate sendAtUtc, SerialDate deadlineUtc) override {
        ExchangePlan plan;
        plan.Url = url_;
        plan.Port = port_;
        // The same server: another behind the same name may keep another clock.
        plan.KnownAddress = first_.SourceAddress;
        plan.SendAtUtc = sendAtUtc;
        plan.DeadlineUtc = deadlineUtc;
        plan.ConnectLimitMs = std::min(kConnectTimeoutMs, kRefinementExchangeLimitMs);
        plan.ReadLimitMs = std::min(kReadTimeoutMs, kRefinementExchangeLimitMs);
        return ReadingOf(plan, false);
    }

    bool Narrowed(const OffsetBounds& bounds) override {
        return narrowed_ == nullptr || narrowed_(bounds, context_);
    }

private:
    const NetworkReading& first_;
    std::string_view url_;
    uint16_t port_;
    NarrowedCallback narrowed_;
    void* context_;
};

}  // namespace

uint32_t ResolveHostAddress(std::string_view host) {
    const std::string name(host);
    const unsigned long literal = inet_addr(name.c_str());
    if (literal != INADDR_NONE) {
        return literal;
    }
    const hostent* entry = gethostbyname(name.c_str());
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_length != 4 ||
        entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr) {
        return 0;
    }
    uint32_t address = 0;
    memcpy(&address, entry->h_addr_list[0], sizeof address);
    return address;
}

NetworkReading FetchNetworkTimeFrom(std::span<const std::string_view> sources, uint16_t port) {
    for (size_t index = 0; index < sources.size(); ++index) {
        ExchangePlan plan;
        plan.Url = sources[index];
        plan.Port = port;
        NetworkReading reading = ReadingOf(plan, true);
        if (reading.HeaderUtc > 0.0) {
            reading.SourceIndex = static_cast<int>(index);
            return reading;
        }
    }
    return {};
}

NetworkReading FetchNetworkTime() {
    return FetchNetworkTimeFrom(kTimeSources, kTimeSourcePort);
}

RefinedOffset RefineNetworkReading(const NetworkReading& first,
                                   std::span<const std::string_view> sources, uint16_t port,
                                   NarrowedCallback narrowed, void* context) {
    if (!(first.HeaderUtc > 0.0) || first.SourceIndex < 0 ||
        static_cast<size_t>(first.SourceIndex) >= sources.size()) {
        return {BoundsOfAnswer(first), 1};
    }
    SourceLink link(first, sources[static_cast<size_t>(first.SourceIndex)], port, narrowed,
                    context);
    return RefineOffset(first, link);
}

RefinedOffset RefineNetworkReading(const NetworkReading& first, NarrowedCallback narrowed,
                                   void* context) {
    return RefineNetworkReading(first, kTimeSources, kTimeSourcePort, narrowed, context);
}
