// Asking the time sources for their Date header, and narrowing the answer down.
#include "core/win/network_time.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "core/date_header.h"
#include "core/time_sources.h"
#include "core/win/kept_alive_http.h"
#include "core/win/plain_exchange.h"
#include "core/win/precise_wait.h"
#include "core/win/winhttp_link.h"

namespace {

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

struct SourceUrl {
    std::string Host;
    std::string Path;
};

SourceUrl SplitSourceUrl(std::string_view url) {
    SourceUrl split;
    int urlPort = 0;  // what the scheme says is not used: the ports are the caller's
    SplitUrl(url, split.Host, split.Path, urlPort);
    return split;
}

// One source over HTTPS: its answer, or none. The connection it came on is kept for the
// narrowing.
bool AskOverHttps(std::string_view url, uint16_t port, ProxyFinder& proxies, SourceAnswer& answer) {
    const SourceUrl source = SplitSourceUrl(url);
    if (source.Host.empty()) {
        return false;
    }
    const std::string httpsUrl = "https://" + source.Host + "/" + source.Path;
    const double startMs = MonotonicMs();
    WinHttpTarget target{true, source.Host, port, source.Path,
                         proxies.For("https", source.Host, httpsUrl)};
    auto connection = std::make_unique<WinHttpConnection>(target);
    WinHttpAnswer reply = connection->Exchange(0.0, 0.0, kHttpsAttemptLimitMs, answer.Stamps);
    if (reply.ProxyFailed) {
        // Directly, within what the attempt has left.
        proxies.GiveUpProxy();
        target.Proxy = {};
        connection = std::make_unique<WinHttpConnection>(target);
        reply = connection->Exchange(0.0, 0.0, kHttpsAttemptLimitMs - (MonotonicMs() - startMs),
                                     answer.Stamps);
    }
    if (ScanForDateHeader(reply.Headers).MarkerFound) {
        WriteTraceLine(httpsUrl);
    }
    if (!(reply.Reading.HeaderUtc > 0.0)) {
        return false;
    }
    answer.First = reply.Reading;
    answer.Url = httpsUrl;
    answer.Link = std::make_unique<WinHttpLink>(std::move(connection), answer.Stamps, true);
    return true;
}

// One source over plain HTTP: its answer, or none.
bool AskOverPlainHttp(std::string_view url, uint16_t port, ProxyFinder& proxies,
                      SourceAnswer& answer) {
    const SourceUrl source = SplitSourceUrl(url);
    const std::string httpUrl = "http://" + source.Host + "/" + source.Path;
    ProxyEndpoint proxy = proxies.For("http", source.Host, httpUrl);
    PlainExchange exchange = ExchangeOnce(url, port, answer.Stamps, proxy);
    if (exchange.ProxyFailed) {
        proxies.GiveUpProxy();
        proxy = {};
        exchange = ExchangeOnce(url, port, answer.Stamps);
    }
    if (exchange.Received.empty() || (!proxy.Direct() && IsProxyFailureAnswer(exchange.Received))) {
        return false;
    }
    if (ScanForDateHeader(exchange.Received).MarkerFound) {
        WriteTraceLine(url);
    }
    // A value that does not parse, or gives a time that cannot be today's, is no answer.
    const SerialDate utc = BelievableHeaderTime(exchange.Received);
    if (!(utc > 0.0)) {
        return false;
    }
    answer.First = {utc, exchange.UtcBeforeSend, exchange.UtcAfterRead, exchange.ConnectDays};
    answer.Url = std::string(url);
    if (proxy.Direct()) {
        answer.Link = std::make_unique<KeptAliveHttpLink>(source.Host, source.Path, exchange.Peer,
                                                          answer.Stamps);
    } else {
        // Through the proxy, which keeps its own connections to the source.
        answer.Link =
            std::make_unique<WinHttpLink>(std::make_unique<WinHttpConnection>(WinHttpTarget{
                                              false, source.Host, port, source.Path, proxy}),
                                          answer.Stamps, false);
    }
    return true;
}

// The narrowing's view of an answer's link.
class AnswerLink final : public NarrowingLink {
public:
    AnswerLink(SourceAnswer& answer, NarrowedCallback narrowed, void* context)
        : answer_(answer), narrowed_(narrowed), context_(context) {}

    SerialDate NowUtc() override { return answer_.Stamps.Now(); }
    NetworkReading ExchangeAt(SerialDate sendAtUtc, SerialDate deadlineUtc) override {
        return answer_.Link->ExchangeAt(sendAtUtc, deadlineUtc);
    }
    bool GoOn(const OffsetBounds& bounds) override {
        return narrowed_ == nullptr || narrowed_(bounds, context_);
    }

private:
    SourceAnswer& answer_;
    NarrowedCallback narrowed_;
    void* context_;
};

}  // namespace

SourceEndpoints BuiltInSources() {
    return {kTimeSources, kHttpPort, kHttpsPort, ProxySettings::User};
}

SourceAnswer AskTimeSources(const SourceEndpoints& sources) {
    ProxyFinder proxies(sources.Proxies);
    return AskTimeSources(sources, proxies);
}

SourceAnswer AskTimeSources(const SourceEndpoints& sources, ProxyFinder& proxies) {
    SourceAnswer answer;
    for (size_t index = 0; index < sources.Urls.size(); ++index) {
        if (AskOverHttps(sources.Urls[index], sources.HttpsPort, proxies, answer)) {
            answer.First.SourceIndex = static_cast<int>(index);
            return answer;
        }
    }
    // None answered over HTTPS: the plain round, which anyone on the path could have answered.
    for (size_t index = 0; index < sources.Urls.size(); ++index) {
        if (AskOverPlainHttp(sources.Urls[index], sources.HttpPort, proxies, answer)) {
            answer.First.SourceIndex = static_cast<int>(index);
            return answer;
        }
    }
    return answer;
}

SourceAnswer AskTimeSources() {
    return AskTimeSources(BuiltInSources());
}

SourceRoute RouteToSource(const SourceEndpoints& sources, size_t index, bool secure,
                          ProxyFinder& proxies) {
    const SourceUrl source = SplitSourceUrl(sources.Urls[index]);
    SourceRoute route;
    route.Secure = secure;
    route.Host = source.Host;
    route.Path = source.Path;
    route.Port = secure ? sources.HttpsPort : sources.HttpPort;
    const std::string schemeUrl =
        std::string(secure ? "https://" : "http://") + source.Host + "/" + source.Path;
    route.Url = secure ? schemeUrl : std::string(sources.Urls[index]);
    if (!source.Host.empty()) {
        route.Proxy = proxies.For(secure ? "https" : "http", source.Host, schemeUrl);
    }
    return route;
}

SourceAnswer AskOnOwnConnection(const SourceRoute& route, const UtcStamps& stamps,
                                SerialDate deadlineUtc) {
    SourceAnswer answer;
    answer.Stamps = stamps;
    if (route.Host.empty()) {
        return answer;
    }
    const double leftMs = (deadlineUtc - stamps.Now()) * kMillisecondsPerDay;
    if (route.Secure || !route.Proxy.Direct()) {
        auto connection = std::make_unique<WinHttpConnection>(
            WinHttpTarget{route.Secure, route.Host, route.Port, route.Path, route.Proxy});
        const double limitMs = std::min(
            leftMs,
            static_cast<double>(route.Secure ? kHttpsAttemptLimitMs : kWinHttpExchangeLimitMs));
        answer.First = connection->Exchange(0.0, 0.0, limitMs, stamps).Reading;
        answer.Link = std::make_unique<WinHttpLink>(std::move(connection), stamps, true);
    } else {
        answer.Link =
            std::make_unique<KeptAliveHttpLink>(route.Host, route.Path, route.Port, stamps);
        answer.First = answer.Link->ExchangeAt(stamps.Now(), deadlineUtc);
    }
    if (!(answer.First.HeaderUtc > 0.0)) {
        answer.Link.reset();
        answer.First = {};
        return answer;
    }
    answer.Url = route.Url;
    return answer;
}

RefinedOffset NarrowSourceAnswer(SourceAnswer& answer, NarrowedCallback narrowed, void* context) {
    return NarrowSourceAnswer(answer, narrowed, context,
                              answer.First.UtcAfterRead + kNarrowingWindowDays);
}

RefinedOffset NarrowSourceAnswer(SourceAnswer& answer, NarrowedCallback narrowed, void* context,
                                 SerialDate windowEndUtc) {
    if (!(answer.First.HeaderUtc > 0.0) || !answer.Link) {
        return {BoundsOfAnswer(answer.First), 1, NarrowingEnd::NotNarrowed};
    }
    AnswerLink link(answer, narrowed, context);
    return RefineOffset(answer.First, answer.Link->CarriesFirstAnswer(), link, windowEndUtc);
}
