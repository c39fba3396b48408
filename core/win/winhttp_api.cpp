// WinHTTP, loaded at run time from the system folder the first time it is needed: never
// imported, so that Windows never takes a winhttp.dll planted beside the program for it.
#include "core/win/winhttp_api.h"

#include "core/win/system_library.h"

namespace {

template <typename Function>
bool Resolve(HMODULE library, const char* name, Function& entry) {
    entry = SystemLibraryEntry<Function>(library, name);
    return entry != nullptr;
}

WinHttpApi LoadedApi(bool& complete) {
    WinHttpApi api{};
    const HMODULE library = LoadSystemLibrary(L"winhttp.dll");
    const HMODULE crypt32 = LoadSystemLibrary(L"crypt32.dll");
    complete =
        library != nullptr && Resolve(library, "WinHttpOpen", api.Open) &&
        Resolve(library, "WinHttpConnect", api.Connect) &&
        Resolve(library, "WinHttpOpenRequest", api.OpenRequest) &&
        Resolve(library, "WinHttpSetOption", api.SetOption) &&
        Resolve(library, "WinHttpQueryOption", api.QueryOption) &&
        Resolve(library, "WinHttpSetTimeouts", api.SetTimeouts) &&
        Resolve(library, "WinHttpSetStatusCallback", api.SetStatusCallback) &&
        Resolve(library, "WinHttpSendRequest", api.SendRequest) &&
        Resolve(library, "WinHttpReceiveResponse", api.ReceiveResponse) &&
        Resolve(library, "WinHttpQueryHeaders", api.QueryHeaders) &&
        Resolve(library, "WinHttpReadData", api.ReadData) &&
        Resolve(library, "WinHttpCloseHandle", api.CloseHandle) &&
        Resolve(library, "WinHttpGetIEProxyConfigForCurrentUser",
                api.GetIEProxyConfigForCurrentUser) &&
        Resolve(library, "WinHttpGetDefaultProxyConfiguration", api.GetDefaultProxyConfiguration) &&
        Resolve(library, "WinHttpGetProxyForUrl", api.GetProxyForUrl) &&
        Resolve(crypt32, "CertFreeCertificateContext", api.FreeCertificate);
    return api;
}

}  // namespace

const WinHttpApi* WinHttp() {
    // A function's static: made once, by the first thread to get here, the others waiting.
    static bool complete = false;
    static const WinHttpApi api = LoadedApi(complete);
    return complete ? &api : nullptr;
}
