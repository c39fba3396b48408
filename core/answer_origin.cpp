// Whether an answer that came back is the time source's own, and so may give the time.
#include "core/answer_origin.h"

#include <cmath>

namespace {

constexpr unsigned kProxyCredentialsStatus = 407;
constexpr unsigned kBadGatewayStatus = 502;
constexpr unsigned kGatewayTimeoutStatus = 504;

// Header times and certificate dates are whole seconds: compared as such, nothing rounds.
long long WholeSeconds(SerialDate date) {
    return std::llround(date * kSecondsPerDay);
}

bool WithinLifetime(SerialDate headerUtc, const CertificateValidity& certificate) {
    const long long header = WholeSeconds(headerUtc);
    return header >= WholeSeconds(certificate.NotBeforeUtc) &&
           header <= WholeSeconds(certificate.NotAfterUtc);
}

}  // namespace

AnswerVerdict JudgeAnswer(const ReceivedAnswer& answer) {
    if (answer.Secure && answer.ServerCertificate) {
        if (!(answer.HeaderUtc > 0.0)) {
            return AnswerVerdict::NoDate;
        }
        return WithinLifetime(answer.HeaderUtc, answer.Certificate)
                   ? AnswerVerdict::Counts
                   : AnswerVerdict::OutsideCertificate;
    }
    if (answer.Proxied && answer.Status == kProxyCredentialsStatus) {
        return AnswerVerdict::ProxyFailed;
    }
    if (answer.Secure || (answer.Proxied && IsProxysOwnFailure(answer.Status))) {
        return AnswerVerdict::NotTheSources;
    }
    return answer.HeaderUtc > 0.0 ? AnswerVerdict::Counts : AnswerVerdict::NoDate;
}

bool IsProxysOwnFailure(unsigned status) {
    return status == kProxyCredentialsStatus || status == kBadGatewayStatus ||
           status == kGatewayTimeoutStatus;
}

unsigned AnswerStatusCode(std::string_view received) {
    // "HTTP/1.x NNN", the code followed by a blank or the end of the line
    constexpr size_t kStatusAt = 9;
    constexpr size_t kDigits = 3;
    if (!received.starts_with("HTTP/") || received.size() < kStatusAt + kDigits ||
        received[kStatusAt - 1] != ' ') {
        return 0;
    }
    unsigned status = 0;
    for (size_t at = kStatusAt; at < kStatusAt + kDigits; ++at) {
        if (received[at] < '0' || received[at] > '9') {
            return 0;
        }
        status = status * 10 + static_cast<unsigned>(received[at] - '0');
    }
    const size_t after = kStatusAt + kDigits;
    return after == received.size() || received[after] == ' ' || received[after] == '\r' ? status
                                                                                         : 0;
}
