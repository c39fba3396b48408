// Timed HEAD requests through WinHTTP on one kept-alive connection to a time source: over
// HTTPS with the certificate checked, or over plain HTTP through a proxy.
#include "core/win/winhttp_exchange.h"

#include <algorithm>

#include "core/answer_origin.h"
#include "core/network_estimate.h"
#include "core/win/local_clock.h"
#include "core/win/precise_wait.h"
#include "core/win/wide_text.h"

namespace {

// Set by the status callback when WinHTTP is about to write the request: the connection, and
// over HTTPS the handshake, are made by then.
struct SendStamp {
    const UtcStamps* Stamps = nullptr;
    SerialDate SentUtc = 0.0;
};

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
    if (status == WINHTTP_CALLBACK_STATUS_SENDING_REQUEST && context != 0) {
        // The last one counts: WinHTTP sends again on a new connection when a kept-alive one
        // turns out to have been closed.
        auto* stamp = reinterpret_cast<SendStamp*>(context);
        stamp->SentUtc = stamp->Stamps->Now();
    }
}

// Every stage (name, connection, handshake, request, answer) within what is left of the limit.
bool LimitTo(HINTERNET request, double startMs, double limitMs) {
    const double leftMs = limitMs - (MonotonicMs() - startMs);
    return leftMs >= 1.0 &&
           WinHttp()->SetTimeouts(request, static_cast<int>(leftMs), static_cast<int>(leftMs),
                                  static_cast<int>(leftMs), static_cast<int>(leftMs));
}

// The header block as received, status line first, lines ending in CR LF.
std::string HeaderBlock(HINTERNET request) {
    const WinHttpApi* api = WinHttp();
    DWORD bytes = 0;
    api->QueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                      nullptr, &bytes, WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) {
        return {};
    }
    std::wstring wide(bytes / sizeof(wchar_t), L'\0');
    if (!api->QueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                           wide.data(), &bytes, WINHTTP_NO_HEADER_INDEX)) {
        return {};
    }
    wide.resize(bytes / sizeof(wchar_t));
    // Header bytes come back widened one by one; a Date header is ASCII.
    std::string block;
    block.reserve(wide.size());
    for (const wchar_t unit : wide) {
        block.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    }
    return block;
}

DWORD StatusOf(HINTERNET request) {
    DWORD status = 0;
    DWORD bytes = sizeof status;
    WinHttp()->QueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &status, &bytes, WINHTTP_NO_HEADER_INDEX);
    return status;
}

// WinHTTP gives a connection back for the next request only once its answer has been read to the
// end, the read that finds nothing more included (Wine's wants that read even for a HEAD, which
// has no body). Otherwise every exchange would open a new connection, and behind one address
// might meet another machine. Only answers that count are read so: a connection that gave none is
// not worth keeping, nor is one whose HEAD answer carries more than a little.
void ReadToTheEnd(HINTERNET request) {
    constexpr DWORD kMostBytes = 16384;
    char sink[2048];
    DWORD total = 0;
    DWORD read = 0;
    do {
        if (!WinHttp()->ReadData(request, sink, sizeof sink, &read)) {
            return;
        }
        total += read;
    } while (read > 0 && total < kMostBytes);
}

// The certificate the server showed in this request's TLS handshake, on a new connection or a
// kept-alive one: false when there was none, as for a proxy's plaintext refusal of the tunnel.
bool ReadServerCertificate(HINTERNET request, CertificateValidity& validity) {
    const WinHttpApi* api = WinHttp();
    PCCERT_CONTEXT certificate = nullptr;
    DWORD bytes = sizeof certificate;
    if (!api->QueryOption(request, WINHTTP_OPTION_SERVER_CERT_CONTEXT, &certificate, &bytes) ||
        certificate == nullptr) {
        return false;
    }
    validity.NotBeforeUtc = SerialFromFileTime(certificate->pCertInfo->NotBefore);
    validity.NotAfterUtc = SerialFromFileTime(certificate->pCertInfo->NotAfter);
    api->FreeCertificate(certificate);
    return true;
}

// What every request is sent with. No redirect is followed: a 3xx answer is the source's own,
// with its own Date, on this connection, where a followed one would come from another host. No
// credentials go anywhere, the computer account's included: a proxy that asks for them gets a
// challenge it cannot relay. Over HTTPS, the computer's clock may be years off, which is what is
// being mended: a certificate's dates are not judged against it (JudgeAnswer holds the Date
// against them instead). Revocation is not asked for (WinHTTP's default): its answers carry
// dates too. Every other fault of the certificate fails the request.
bool PrepareRequest(HINTERNET request, bool secure) {
    const WinHttpApi* api = WinHttp();
    DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
    DWORD neverLogOn = WINHTTP_AUTOLOGON_SECURITY_LEVEL_HIGH;
    DWORD security = SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
    return api->SetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects,
                          sizeof noRedirects) &&
           api->SetOption(request, WINHTTP_OPTION_AUTOLOGON_POLICY, &neverLogOn,
                          sizeof neverLogOn) &&
           (!secure ||
            api->SetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &security, sizeof security));
}

}  // namespace

WinHttpConnection::WinHttpConnection(WinHttpTarget target)
    : target_(std::move(target)), path_(Widen("/" + target_.Path)) {}

bool WinHttpConnection::Open() {
    const WinHttpApi* api = WinHttp();
    if (api == nullptr) {
        return false;
    }
    const std::wstring proxy = Widen(target_.Proxy.HostAndPort());
    session_.reset(target_.Proxy.Direct()
                       ? api->Open(kWinHttpAgent, WINHTTP_ACCESS_TYPE_NO_PROXY,
                                   WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0)
                       : api->Open(kWinHttpAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.c_str(),
                                   WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session_) {
        return false;
    }
    if (target_.Secure) {
        // TLS 1.2 or later. Windows that does not know TLS 1.3 refuses the pair: 1.2 alone then.
        DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
        if (!api->SetOption(session_.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                            sizeof protocols)) {
            protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
            if (!api->SetOption(session_.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                                sizeof protocols)) {
                session_.reset();
                return false;
            }
        }
    }
    if (api->SetStatusCallback(session_.get(), &OnStatus, WINHTTP_CALLBACK_FLAG_SEND_REQUEST, 0) ==
        WINHTTP_INVALID_STATUS_CALLBACK) {
        session_.reset();
        return false;
    }
    const std::wstring host = Widen(target_.Host);
    connection_.reset(api->Connect(session_.get(), host.c_str(), target_.Port, 0));
    return static_cast<bool>(connection_);
}

WinHttpAnswer WinHttpConnection::Exchange(SerialDate sendAtUtc, SerialDate deadlineUtc,
                                          double limitMs, const UtcStamps& stamps) {
    WinHttpAnswer answer;
    if (!connection_ && !Open()) {
        return answer;
    }
    const WinHttpApi* api = WinHttp();
    const bool proxied = !target_.Proxy.Direct();
    // Through a proxy, "Pragma: no-cache": a cache must ask the source, not answer itself.
    const DWORD requestFlags =
        (target_.Secure ? WINHTTP_FLAG_SECURE : 0) | (proxied ? WINHTTP_FLAG_REFRESH : 0);
    const UniqueInternet request(api->OpenRequest(connection_.get(), L"HEAD", path_.c_str(),
                                                  nullptr, WINHTTP_NO_REFERER,
                                                  WINHTTP_DEFAULT_ACCEPT_TYPES, requestFlags));
    if (!request || !PrepareRequest(request.get(), target_.Secure)) {
        return answer;
    }
    if (sendAtUtc > 0.0) {
        WaitPreciselyMs((sendAtUtc - stamps.Now()) * kMillisecondsPerDay);
        limitMs = std::min(limitMs, (deadlineUtc - stamps.Now()) * kMillisecondsPerDay);
    }
    SendStamp sent{&stamps};
    const double callMs = MonotonicMs();
    bool answered =
        LimitTo(request.get(), callMs, limitMs) &&
        api->SendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA,
                         0, 0, reinterpret_cast<DWORD_PTR>(&sent));
    answered = answered && LimitTo(request.get(), callMs, limitMs) &&
               api->ReceiveResponse(request.get(), nullptr);
    const DWORD error = answered ? ERROR_SUCCESS : GetLastError();
    const SerialDate afterRead = answered ? stamps.Now() : 0.0;
    const double afterMs = MonotonicMs();
    if (!answered) {
        answer.ProxyFailed = proxied && (error == ERROR_WINHTTP_CANNOT_CONNECT ||
                                         error == ERROR_WINHTTP_NAME_NOT_RESOLVED);
        return answer;
    }
    ReceivedAnswer received;
    received.Secure = target_.Secure;
    received.Proxied = proxied;
    received.ServerCertificate =
        target_.Secure && ReadServerCertificate(request.get(), received.Certificate);
    received.Status = StatusOf(request.get());
    const std::string headers = HeaderBlock(request.get());
    received.HeaderUtc = BelievableHeaderTime(headers);
    const AnswerVerdict verdict = JudgeAnswer(received);
    answer.ProxyFailed = verdict == AnswerVerdict::ProxyFailed;
    if (verdict == AnswerVerdict::NotTheSources || answer.ProxyFailed) {
        return answer;
    }
    answer.Headers = headers;  // the source's own, whether its Date counts or not
    if (verdict == AnswerVerdict::Counts) {
        answer.Reading.HeaderUtc = received.HeaderUtc;
        ReadToTheEnd(request.get());
        // The call's start, counted back from the later stamp. Where the callback gave no stamp
        // the connection's making stays inside the exchange: wider bounds, never wrong ones.
        const SerialDate callUtc = afterRead - (afterMs - callMs) / kMillisecondsPerDay;
        const bool stamped = sent.SentUtc > 0.0;
        answer.Reading.UtcBeforeSend = stamped ? sent.SentUtc : callUtc;
        answer.Reading.UtcAfterRead = afterRead;
        answer.Reading.ConnectDays = stamped ? sent.SentUtc - callUtc : 0.0;
        answer.Reading.Secure = target_.Secure;
    }
    return answer;
}
