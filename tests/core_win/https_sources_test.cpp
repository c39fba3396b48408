// HTTPS first, then plain HTTP, against the TLS sources of tests/e2e/https_sources_test.sh (skipped
// elsewhere); "*Proxy*" rows run with http_proxy set, Wine's WinHTTP's machine proxy.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/win/network_time.h"
#include "tests/support/stdout_capture.h"

namespace {

struct HttpsCase {
    const char* Name;
    std::vector<std::string_view> Urls;
    std::string Answered;  // the URL the answer came from, as traced
    bool Secure;
};

class HttpsFirst : public testing::TestWithParam<HttpsCase> {};

TEST_P(HttpsFirst, TakesTheFirstAuthenticatedAnswerElseThePlainRound) {
    if (std::getenv("TIKORA_TLS_SOURCES") == nullptr) {
        GTEST_SKIP() << "needs the sources of https_sources_test.sh";
    }
    const HttpsCase& test = GetParam();
    StdoutCapture output;
    const bool proxied = std::getenv("http_proxy") != nullptr;
    SourceEndpoints sources{test.Urls, kHttpPort, kHttpsPort,
                            proxied ? ProxySettings::Machine : ProxySettings::None};

    SourceAnswer answer = AskTimeSources(sources);

    ASSERT_EQ(answer.Url, test.Answered);
    EXPECT_EQ(answer.First.Secure, test.Secure);
    EXPECT_NE(output.Take().find(test.Answered + "\r\n"), std::string::npos);
    // The true time, narrowed on the connection it came on: the sources' clock is the host's.
    const RefinedOffset refined = NarrowSourceAnswer(answer);
    EXPECT_EQ(refined.End, NarrowingEnd::Confirmed);
    EXPECT_NEAR(refined.Bounds.CentreDays() * 86400e3, 0.0, 10.0);
    EXPECT_EQ(answer.Link->CarriesFirstAnswer(), test.Secure);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, HttpsFirst,
    testing::Values(
        HttpsCase{"TrustedRoot", {"http://good.test/"}, "https://good.test/", true},
        HttpsCase{"UnknownRoot", {"http://unknown-root.test/"}, "http://unknown-root.test/", false},
        HttpsCase{"WrongHostName", {"http://wrong-name.test/"}, "http://wrong-name.test/", false},
        HttpsCase{
            "ExpiredFromTrustedRoot", {"http://expired.test/"}, "http://expired.test/", false},
        HttpsCase{"RedirectTakenAsItsOwn", {"http://moved.test/"}, "https://moved.test/", true},
        HttpsCase{"PreferredOverAnEarlierPlainSource",
                  {"http://plain-only.test/", "http://good.test/"},
                  "https://good.test/",
                  true},
        HttpsCase{"FallbackAsksInOrder",
                  {"http://unknown-root.test/", "http://plain-only.test/"},
                  "http://unknown-root.test/",
                  false},
        HttpsCase{"ThroughTheProxy", {"http://far.test/"}, "https://far.test/", true},
        HttpsCase{
            "PlainThroughTheProxy", {"http://far-plain.test/"}, "http://far-plain.test/", false},
        HttpsCase{"UnreachableProxyThenDirect", {"http://good.test/"}, "https://good.test/", true},
        HttpsCase{"CredentialsProxyThenDirect",
                  {"http://plain-only.test/"},
                  "http://plain-only.test/",
                  false}),
    [](const testing::TestParamInfo<HttpsCase>& info) { return std::string(info.param.Name); });

}  // namespace
