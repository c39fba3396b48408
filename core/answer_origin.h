// Whether an answer that came back is the time source's own, and so may give the time: over
// HTTPS only with the handshake's certificate behind it, and a Date within that certificate's
// lifetime; through a proxy never the proxy's own answer.
#pragma once

#include <string_view>

#include "core/serial_date.h"

// The validity period a certificate states, UTC.
struct CertificateValidity {
    SerialDate NotBeforeUtc = 0.0;
    SerialDate NotAfterUtc = 0.0;
};

// What came back for one request, as far as the judgement needs it.
struct ReceivedAnswer {
    bool Secure = false;              // asked over HTTPS
    bool Proxied = false;             // sent through a proxy
    bool ServerCertificate = false;   // a TLS handshake gave the server's certificate
    CertificateValidity Certificate;  // that certificate's, when there is one
    unsigned Status = 0;              // the status code; 0 when the answer has none
    SerialDate HeaderUtc = 0.0;       // the Date header; 0 when it is missing or not believable
};

enum class AnswerVerdict {
    Counts,              // the source's own answer with a usable Date
    NoDate,              // the source's own answer, without a usable Date
    NotTheSources,       // the proxy's own answer, or an HTTPS answer with no handshake behind it
    OutsideCertificate,  // over HTTPS, a Date outside the lifetime of the certificate it came with
    ProxyFailed,         // the proxy asks for credentials, which nothing here sends
};

// Over HTTPS the certificate decides: WinHTTP hands over the plaintext answer of a proxy that
// refused the tunnel like any other, but only the source's own answer comes with a handshake,
// whatever its status. The local clock may be years off, so a certificate's dates are never
// held against it; instead the Date must lie within the certificate's own lifetime (bounds
// included, in whole seconds): a key whose certificate has expired proves no time after that.
// Over plain HTTP through a proxy, its failures (IsProxysOwnFailure) are its own. A proxy
// asking for credentials (407) is given none, and counts as one that could not be reached.
AnswerVerdict JudgeAnswer(const ReceivedAnswer& answer);

// 407 (the proxy wants credentials), 502 or 504 (it could not reach the source): the status of
// an answer that a proxy made itself, with its own clock's Date.
bool IsProxysOwnFailure(unsigned status);

// The status code of an answer's bytes, "HTTP/1.x NNN"; 0 for anything else.
unsigned AnswerStatusCode(std::string_view received);
