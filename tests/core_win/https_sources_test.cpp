// HTTPS first, then plain HTTP, through a proxy or not, against the TLS sources that
// tests/e2e/https_sources_test.sh sets up in its namespaces (skipped anywhere else).
#include <windows.h>

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
    const wchar_t* Proxy;  // http_proxy, which Wine's WinHTTP takes as the machine's proxy
    std::string Answered;  // the URL the answer came from, as traced; empty for none
    bool Secure;
};

// Wine's WinHTTP reads http_proxy through a C runtime of its own, which keeps its own copy.
void SetHttpProxy(const wchar_t* value) {
    const std::wstring setting = std::wstring(L"http_proxy=") + value;
    using PutEnv = int(__cdecl*)(const wchar_t*);
    for (const wchar_t* runtime : {L"msvcrt.dll", L"ucrtbase.dll"}) {
        const HMODULE module = GetModuleHandleW(runtime);
        if (const auto put = reinterpret_cast<PutEnv>(
                module ? reinterpret_cast<void*>(GetProcAddress(module, "_wputenv")) : nullptr)) {
            put(setting.c_str());
        }
    }
}

class HttpsFirst : public testing::TestWithParam<HttpsCase> {};

TEST_P(HttpsFirst, TakesTheFirstAuthenticatedAnswerElseThePlainRound) {
    if (std::getenv("TIKORA_TLS_SOURCES") == nullptr) {
        GTEST_SKIP() << "needs the sources of https_sources_test.sh";
    }
    const HttpsCase& test = GetParam();
    SetHttpProxy(test.Proxy);
    StdoutCapture output;
    SourceEndpoints sources{test.Urls, kHttpPort, kHttpsPort,
                            *test.Proxy != L'\0' ? ProxySettings::Machine : ProxySettings::None};

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
        HttpsCase{"TrustedRoot", {"http://good.test/"}, L"", "https://good.test/", true},
        HttpsCase{
            "UnknownRoot", {"http://unknown-root.test/"}, L"", "http://unknown-root.test/", false},
        HttpsCase{
            "WrongHostName", {"http://wrong-name.test/"}, L"", "http://wrong-name.test/", false},
        HttpsCase{
            "ExpiredFromTrustedRoot", {"http://expired.test/"}, L"", "https://expired.test/", true},
        HttpsCase{"PreferredOverAnEarlierPlainSource",
                  {"http://plain-only.test/", "http://good.test/"},
                  L"",
                  "https://good.test/",
                  true},
        HttpsCase{"FallbackAsksInOrder",
                  {"http://unknown-root.test/", "http://plain-only.test/"},
                  L"",
                  "http://unknown-root.test/",
                  false},
        HttpsCase{
            "ThroughTheProxy", {"http://far.test/"}, L"127.0.0.1:3128", "https://far.test/", true},
        HttpsCase{"PlainThroughTheProxy",
                  {"http://far-plain.test/"},
                  L"127.0.0.1:3128",
                  "http://far-plain.test/",
                  false},
        HttpsCase{"UnreachableProxyThenDirect",
                  {"http://good.test/"},
                  L"127.0.0.1:9",
                  "https://good.test/",
                  true}),
    [](const testing::TestParamInfo<HttpsCase>& info) { return std::string(info.param.Name); });

}  // namespace
