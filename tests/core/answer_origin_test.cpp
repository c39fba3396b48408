// Which answers are the time source's own: the handshake's certificate over HTTPS and the Date
// within its lifetime; a proxy's own answers never, and a proxy asking for credentials given up.
#include "core/answer_origin.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr double kSecond = 1.0 / kSecondsPerDay;
// A lifetime as certificates state it, in whole seconds; Dates around its ends.
constexpr CertificateValidity kLifetime{46000.0, 46090.0};
constexpr CertificateValidity kExpired{43831.0, 43832.0};  // 2020-01-01 to 2020-01-02
constexpr double kEarly = 46000.0 - kSecond;
constexpr double kLate = 46090.0 + kSecond;

TEST(JudgeAnswer, TakesOnlyTheSourcesOwnAnswer) {
    using enum AnswerVerdict;
    struct Case {
        const char* Name;
        ReceivedAnswer Answer;
        AnswerVerdict Expected;
    };
    const Case cases[] = {
        {"over TLS", {true, false, true, kLifetime, 200, 46050.5}, Counts},
        {"through a tunnel, a redirect", {true, true, true, kLifetime, 301, 46050.5}, Counts},
        {"first second", {true, false, true, kLifetime, 200, 46000.0}, Counts},
        {"last second", {true, false, true, kLifetime, 200, 46090.0}, Counts},
        {"a second early", {true, false, true, kLifetime, 200, kEarly}, OutsideCertificate},
        {"a second late", {true, false, true, kLifetime, 200, kLate}, OutsideCertificate},
        {"expired years ago", {true, false, true, kExpired, 200, 46050.5}, OutsideCertificate},
        {"over TLS without a Date", {true, false, true, kLifetime, 200, 0.0}, NoDate},
        // What Windows hands over when the proxy refuses the tunnel: no handshake.
        {"tunnel refused", {true, true, false, {}, 403, 46050.5}, NotTheSources},
        {"tunnel wants credentials", {true, true, false, {}, 407, 46050.5}, ProxyFailed},
        {"plain", {false, false, false, {}, 200, 46050.5}, Counts},
        {"plain without a Date", {false, false, false, {}, 200, 0.0}, NoDate},
        {"proxy wants credentials", {false, true, false, {}, 407, 46050.5}, ProxyFailed},
        {"proxy's bad gateway", {false, true, false, {}, 502, 46050.5}, NotTheSources},
        {"proxy's gateway timeout", {false, true, false, {}, 504, 46050.5}, NotTheSources},
        {"source's 407 without a proxy", {false, false, false, {}, 407, 46050.5}, Counts},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JudgeAnswer(c.Answer), c.Expected) << c.Name;
    }
}

TEST(AnswerStatusCode, ReadsTheStatusLineOnly) {
    const struct {
        std::string Received;
        unsigned Status;
    } cases[] = {
        {"HTTP/1.1 301 Moved Permanently\r\n", 301},
        {"HTTP/1.0 407\r\n", 407},
        {"HTTP/1.1 502", 502},
        {"HTTP/1.1 5021 x\r\n", 0},
        {"HTTP/1.1 2x0 OK\r\n", 0},
        {"HTTP/1.1  200 OK\r\n", 0},
        {"", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AnswerStatusCode(c.Received), c.Status) << c.Received;
    }
}

}  // namespace
