// WinHTTP, loaded at run time from the system folder the first time it is needed: never
// imported, so that Windows never takes a winhttp.dll planted beside the program for it.
#pragma once

#include <windows.h>
#include <wincrypt.h>
#include <winhttp.h>

#include <string_view>

#include "core/win/unique_handle.h"

// The User-Agent of every WinHTTP session: the same as the plain request's.
inline constexpr wchar_t kWinHttpAgent[] = L"GetHTTP 0.0";

// The entry points this program uses; the types are those the header declares. The last frees
// the server certificate WinHTTP hands over; it comes from crypt32, which WinHTTP itself needs.
struct WinHttpApi {
    decltype(&::WinHttpOpen) Open;
    decltype(&::WinHttpConnect) Connect;
    decltype(&::WinHttpOpenRequest) OpenRequest;
    decltype(&::WinHttpSetOption) SetOption;
    decltype(&::WinHttpQueryOption) QueryOption;
    decltype(&::WinHttpSetTimeouts) SetTimeouts;
    decltype(&::WinHttpSetStatusCallback) SetStatusCallback;
    decltype(&::WinHttpSendRequest) SendRequest;
    decltype(&::WinHttpReceiveResponse) ReceiveResponse;
    decltype(&::WinHttpQueryHeaders) QueryHeaders;
    decltype(&::WinHttpReadData) ReadData;
    decltype(&::WinHttpCloseHandle) CloseHandle;
    decltype(&::WinHttpGetIEProxyConfigForCurrentUser) GetIEProxyConfigForCurrentUser;
    decltype(&::WinHttpGetDefaultProxyConfiguration) GetDefaultProxyConfiguration;
    decltype(&::WinHttpGetProxyForUrl) GetProxyForUrl;
    decltype(&::CertFreeCertificateContext) FreeCertificate;
};

// Loaded once per process and never unloaded; null when WinHTTP or crypt32 cannot be loaded or
// lacks one of the entry points. Safe to call from any thread.
const WinHttpApi* WinHttp();

// Session, connection and request handles alike. Only ever made once WinHttp() has loaded.
struct InternetHandleTraits {
    using Type = HINTERNET;
    static Type Invalid() { return nullptr; }
    static void Close(Type handle) { WinHttp()->CloseHandle(handle); }
};
using UniqueInternet = UniqueHandle<InternetHandleTraits>;

// Frees a text WinHTTP hands over (proxy settings) when the scope ends.
class WinHttpText {
public:
    WinHttpText() = default;
    WinHttpText(const WinHttpText&) = delete;
    WinHttpText& operator=(const WinHttpText&) = delete;
    ~WinHttpText() { GlobalFree(text_); }

    LPWSTR* Receive() { return &text_; }
    std::wstring_view View() const { return text_ == nullptr ? std::wstring_view() : text_; }

private:
    LPWSTR text_ = nullptr;
};
