// Timed HEAD requests through WinHTTP on one kept-alive connection to a time source: over
// HTTPS with the certificate checked, or over plain HTTP through a proxy.
#pragma once

#include <cstdint>
#include <string>

#include "core/network_estimate.h"
#include "core/proxy_route.h"
#include "core/win/utc_stamps.h"
#include "core/win/winhttp_api.h"

// Where a WinHTTP connection goes.
struct WinHttpTarget {
    bool Secure = true;  // HTTPS, its certificate checked; plain HTTP otherwise
    std::string Host;
    uint16_t Port = 0;
    std::string Path;     // without its leading '/'
    ProxyEndpoint Proxy;  // direct when empty
};

// What one exchange gave.
struct WinHttpAnswer {
    NetworkReading Reading;  // HeaderUtc 0 unless the Date header is usable and the answer counts
    std::string Headers;     // the header block of the source's own answer; empty when none came
    bool ProxyFailed =
        false;  // the proxy could not be reached or resolved, or asked for credentials
};

class WinHttpConnection {
public:
    explicit WinHttpConnection(WinHttpTarget target);

    // One HEAD request, sent at sendAtUtc and given up after limitMs or at deadlineUtc, whichever
    // comes first; with sendAtUtc 0, sent at once and given up after limitMs. The stamps hold the
    // answer between them: the first is taken once the connection and, over HTTPS, the handshake
    // are made (WinHTTP opens a connection where it has none open to the source, or the source
    // closed it), the second when the answer's headers have come. Over HTTPS only an answer on a
    // connection whose certificate leads to a root Windows trusts and names the host counts, and
    // only with a Date inside that certificate's lifetime (JudgeAnswer); the computer's clock is
    // not held against the certificate. Redirects are not followed: a 3xx answer counts with its
    // own Date. An exchange sent at once that fails never reads the stamps.
    WinHttpAnswer Exchange(SerialDate sendAtUtc, SerialDate deadlineUtc, double limitMs,
                           const UtcStamps& stamps);

private:
    bool Open();

    WinHttpTarget target_;
    std::wstring path_;
    UniqueInternet session_;
    UniqueInternet connection_;
};
