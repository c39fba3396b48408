// Going through an HTTP proxy: which proxy of Windows' settings a source's URL takes, and the
// plain-HTTP request in the form a proxy needs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Proxies listen on port 80 unless their entry names another.
constexpr uint16_t kDefaultProxyPort = 80;

// One proxy; an empty host means none: the source is reached directly.
struct ProxyEndpoint {
    std::string Host;
    uint16_t Port = 0;

    bool Direct() const { return Host.empty(); }
    // "host:port", as WinHTTP takes a named proxy.
    std::string HostAndPort() const;
};

// The proxy a URL of scheme ("http" or "https") on host takes, as Windows writes its settings:
// proxyList holds entries separated by ';' or blanks, each "[scheme=][scheme://]host[:port]";
// an entry for the scheme wins over one for every scheme, and an entry for another scheme never
// applies. bypassList holds patterns separated by ';', ',' or blanks: "<local>" for a name
// without a dot, or a host pattern with '*' standing for any run of characters, compared without
// regard to case (a "scheme://" before it and a ":port" after it are ignored). A bypassed host,
// or one without an entry, is reached directly.
ProxyEndpoint ChooseProxy(std::string_view proxyList, std::string_view bypassList,
                          std::string_view scheme, std::string_view host);

// The plain-HTTP request for a proxy: the source's own request with the absolute URL in its
// request line (HTTP/1.0 proxies need it to know where to go) and "Pragma: no-cache" before the
// empty line, so that a caching proxy asks the source instead of answering with a stored Date.
// The port appears in the URL only when it is not 80.
std::string BuildProxiedDateRequest(std::string_view host, uint16_t port, std::string_view path);

// Whether an answer that came through a proxy is the proxy's own failure rather than the
// source's (IsProxysOwnFailure of its status). Its Date is the proxy's clock, not the source's.
bool IsProxyFailureAnswer(std::string_view received);
