// Going through an HTTP proxy: which proxy of Windows' settings a source's URL takes, and the
// plain-HTTP request in the form a proxy needs.
#include "core/proxy_route.h"

#include <algorithm>
#include <vector>

#include "core/answer_origin.h"
#include "core/date_header.h"
#include "core/text_split.h"
#include "core/url.h"

namespace {

constexpr std::string_view kLocalPattern = "<local>";
constexpr std::string_view kSchemeMark = "://";
constexpr std::string_view kNoCacheLine = "Pragma: no-cache\r\n";
constexpr unsigned kLargestPort = 65535;

// The entries of a list whose items are separated by any of the separators.
std::vector<std::string_view> Items(std::string_view list, std::string_view separators) {
    std::vector<std::string_view> items;
    size_t start = 0;
    while (start < list.size()) {
        const size_t end = std::min(list.find_first_of(separators, start), list.size());
        if (end > start) {
            items.push_back(list.substr(start, end - start));
        }
        start = end + 1;
    }
    return items;
}

std::string_view AfterScheme(std::string_view text) {
    const size_t mark = text.find(kSchemeMark);
    return mark == std::string_view::npos ? text : text.substr(mark + kSchemeMark.size());
}

// '*' stands for any run of characters; letters match without regard to case.
bool MatchesPattern(std::string_view text, std::string_view pattern) {
    size_t at = 0;
    size_t patternAt = 0;
    size_t starAt = std::string_view::npos;
    size_t starText = 0;
    while (at < text.size()) {
        if (patternAt < pattern.size() && pattern[patternAt] == '*') {
            starAt = patternAt++;
            starText = at;
        } else if (patternAt < pattern.size() &&
                   ToLowerAscii(pattern.substr(patternAt, 1)) == ToLowerAscii(text.substr(at, 1))) {
            ++patternAt;
            ++at;
        } else if (starAt != std::string_view::npos) {
            patternAt = starAt + 1;
            at = ++starText;
        } else {
            return false;
        }
    }
    while (patternAt < pattern.size() && pattern[patternAt] == '*') {
        ++patternAt;
    }
    return patternAt == pattern.size();
}

bool Bypassed(std::string_view bypassList, std::string_view host) {
    for (std::string_view pattern : Items(bypassList, "; ,\t\r\n")) {
        if (pattern == kLocalPattern) {
            if (host.find('.') == std::string_view::npos) {
                return true;
            }
            continue;
        }
        pattern = AfterScheme(pattern);
        const size_t colon = pattern.rfind(':');
        if (colon != std::string_view::npos && pattern.find(':') == colon) {
            pattern = pattern.substr(0, colon);  // a port; an IPv6 literal keeps its colons
        }
        if (MatchesPattern(host, pattern)) {
            return true;
        }
    }
    return false;
}

// "host[:port]"; no host when the port is not a number from 1 to 65535.
ProxyEndpoint ParseEndpoint(std::string_view text) {
    ProxyEndpoint endpoint;
    text = AfterScheme(text);
    const size_t slash = text.find('/');
    text = text.substr(0, slash);
    const size_t colon = text.rfind(':');
    const bool bracketed = !text.empty() && text.back() == ']';
    if (colon == std::string_view::npos || bracketed) {
        endpoint.Host = std::string(text);
        endpoint.Port = kDefaultProxyPort;
        return endpoint;
    }
    const std::string_view digits = text.substr(colon + 1);
    unsigned port = 0;
    for (const char digit : digits) {
        if (digit < '0' || digit > '9' || port > kLargestPort) {
            return {};
        }
        port = port * 10 + static_cast<unsigned>(digit - '0');
    }
    if (port == 0 || port > kLargestPort) {
        return {};
    }
    endpoint.Host = std::string(text.substr(0, colon));
    endpoint.Port = static_cast<uint16_t>(port);
    return endpoint;
}

}  // namespace

std::string ProxyEndpoint::HostAndPort() const {
    std::string text = Host;
    text += ':';
    text += std::to_string(Port);
    return text;
}

ProxyEndpoint ChooseProxy(std::string_view proxyList, std::string_view bypassList,
                          std::string_view scheme, std::string_view host) {
    if (Bypassed(bypassList, host)) {
        return {};
    }
    ProxyEndpoint forEveryScheme;
    for (std::string_view entry : Items(proxyList, "; \t\r\n")) {
        const size_t equals = entry.find('=');
        if (equals == std::string_view::npos) {
            if (forEveryScheme.Direct()) {
                forEveryScheme = ParseEndpoint(entry);
            }
            continue;
        }
        if (ToLowerAscii(entry.substr(0, equals)) == ToLowerAscii(scheme)) {
            ProxyEndpoint forScheme = ParseEndpoint(entry.substr(equals + 1));
            if (!forScheme.Direct()) {
                return forScheme;
            }
        }
    }
    return forEveryScheme;
}

std::string BuildProxiedDateRequest(std::string_view host, uint16_t port, std::string_view path) {
    std::string request = BuildDateRequest(host, path);
    std::string origin = "http://" + std::string(host);
    if (port != kHttpPort) {
        origin += ':';
        origin += std::to_string(port);
    }
    // "GET /path …" becomes "GET http://host/path …".
    constexpr size_t kPathAt = 4;
    request.insert(kPathAt, origin);
    request.insert(request.size() - 2, kNoCacheLine);
    return request;
}

bool IsProxyFailureAnswer(std::string_view received) {
    return IsProxysOwnFailure(AnswerStatusCode(received));
}
