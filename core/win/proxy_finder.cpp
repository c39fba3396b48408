// Which proxy Windows is set to use for a time source's URL: the user's Internet settings for
// the window, as browsers take them, or the machine's WinHTTP setting for the silent mode.
#include "core/win/proxy_finder.h"

#include "core/win/wide_text.h"

namespace {

// Finding and fetching a configuration script: a network without one answers at once, one
// that drops the queries is given up on after this.
constexpr int kScriptLimitMs = 5000;

}  // namespace

void ProxyFinder::ReadSettings() {
    read_ = true;
    const WinHttpApi* api = WinHttp();
    if (api == nullptr || settings_ == ProxySettings::None) {
        return;
    }
    if (settings_ == ProxySettings::User) {
        WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
        if (!api->GetIEProxyConfigForCurrentUser(&config)) {
            return;
        }
        WinHttpText script;
        WinHttpText list;
        WinHttpText bypass;
        *script.Receive() = config.lpszAutoConfigUrl;
        *list.Receive() = config.lpszProxy;
        *bypass.Receive() = config.lpszProxyBypass;
        autoDetect_ = config.fAutoDetect != FALSE;
        scriptUrl_ = std::wstring(script.View());
        proxyList_ = Narrow(list.View());
        bypassList_ = Narrow(bypass.View());
        return;
    }
    WINHTTP_PROXY_INFO machine{};
    if (!api->GetDefaultProxyConfiguration(&machine)) {
        return;
    }
    WinHttpText list;
    WinHttpText bypass;
    *list.Receive() = machine.lpszProxy;
    *bypass.Receive() = machine.lpszProxyBypass;
    if (machine.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && !list.View().empty()) {
        proxyList_ = Narrow(list.View());
        bypassList_ = Narrow(bypass.View());
    } else {
        autoDetect_ = true;  // netsh names no proxy: the network may still announce one
    }
}

bool ProxyFinder::FromScript(std::string_view scheme, std::string_view host, std::string_view url,
                             ProxyEndpoint& proxy) {
    const WinHttpApi* api = WinHttp();
    if (!autoDetect_ && scriptUrl_.empty()) {
        return false;
    }
    if (!scriptSession_) {
        scriptSession_.reset(api->Open(kWinHttpAgent, WINHTTP_ACCESS_TYPE_NO_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
        if (!scriptSession_) {
            return false;
        }
        api->SetTimeouts(scriptSession_.get(), kScriptLimitMs, kScriptLimitMs, kScriptLimitMs,
                         kScriptLimitMs);
    }
    WINHTTP_AUTOPROXY_OPTIONS options{};
    if (autoDetect_) {
        options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    if (!scriptUrl_.empty()) {
        options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = scriptUrl_.c_str();
    }
    // A script's server that asks for credentials gets none: whoever answers the network's
    // discovery could otherwise collect the computer account's and relay them.
    options.fAutoLogonIfChallenged = FALSE;
    WINHTTP_PROXY_INFO found{};
    const std::wstring wideUrl = Widen(url);
    if (!api->GetProxyForUrl(scriptSession_.get(), wideUrl.c_str(), &options, &found)) {
        // Nothing found, or no script could be had: the same for the rest of this round.
        autoDetect_ = false;
        scriptUrl_.clear();
        return false;
    }
    WinHttpText list;
    WinHttpText bypass;
    *list.Receive() = found.lpszProxy;
    *bypass.Receive() = found.lpszProxyBypass;
    proxy = found.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY
                ? ChooseProxy(Narrow(list.View()), Narrow(bypass.View()), scheme, host)
                : ProxyEndpoint{};
    return true;
}

ProxyEndpoint ProxyFinder::For(std::string_view scheme, std::string_view host,
                               std::string_view url) {
    if (!read_) {
        ReadSettings();
    }
    if (givenUp_) {
        return {};
    }
    ProxyEndpoint proxy;
    if (FromScript(scheme, host, url, proxy)) {
        return proxy;
    }
    return ChooseProxy(proxyList_, bypassList_, scheme, host);
}
