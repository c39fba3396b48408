// Which proxy Windows is set to use for a time source's URL: the user's Internet settings for
// the window, as browsers take them, or the machine's WinHTTP setting for the silent mode.
#pragma once

#include <string_view>

#include "core/proxy_route.h"
#include "core/win/winhttp_api.h"

enum class ProxySettings {
    // No proxy is looked for: every source is reached directly.
    None,
    // The user's Internet settings: automatic detection, a configuration script, a named proxy,
    // in that order, as browsers have them. For the window, which runs as the user.
    User,
    // The machine's WinHTTP setting ("netsh winhttp set proxy"); where it names no proxy,
    // automatic detection. For the silent mode, which runs as SYSTEM at logon, where no user's
    // settings apply.
    Machine,
};

// One round over the sources: the settings are read once, when the first URL asks, and a
// proxy that could not be reached is given up for the rest of the round.
class ProxyFinder {
public:
    explicit ProxyFinder(ProxySettings settings) : settings_(settings) {}

    // The proxy for url (its scheme "http" or "https" and its host); direct when none applies.
    ProxyEndpoint For(std::string_view scheme, std::string_view host, std::string_view url);
    // The proxy did not take the connection: the rest of the round connects directly.
    void GiveUpProxy() { givenUp_ = true; }

private:
    void ReadSettings();
    // The proxy a configuration script, found or named, gives; false when there is none to run.
    bool FromScript(std::string_view scheme, std::string_view host, std::string_view url,
                    ProxyEndpoint& proxy);

    ProxySettings settings_;
    bool read_ = false;
    bool givenUp_ = false;
    bool autoDetect_ = false;
    std::wstring scriptUrl_;
    std::string proxyList_;
    std::string bypassList_;
    UniqueInternet scriptSession_;  // for WinHttpGetProxyForUrl; made on first use
};
