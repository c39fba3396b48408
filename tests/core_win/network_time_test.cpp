// The HTTP exchange with the time sources, against scripted servers on loopback addresses.
#include "core/win/network_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "core/win/plain_exchange.h"
#include "tests/support/fake_clock.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/stdout_capture.h"

using namespace std::string_literals;

namespace {

// "Date: Sun, 06 Dec 2099 16:28:27 GMT" is 73025 days and 59307 seconds: a time after any day
// this program can have been built on, so the fetch believes it.
constexpr SerialDate kHeaderTime = 73025.0 + 59307.0 / 86400.0;
const std::string kDateLine = "Date: Sun, 06 Dec 2099 16:28:27 GMT\r\n";
const std::string kGoodAnswer = "HTTP/1.0 200 OK\r\nServer: test\r\n" + kDateLine + "\r\nbody";
const std::string kAnswerWithoutDate = "HTTP/1.0 200 OK\r\nServer: test\r\n\r\nbody";

// Nothing listens on 127.0.0.2 (servers bind 127.0.0.1 only): connecting there is refused.
constexpr std::string_view kRefusedSource = "http://127.0.0.2/refused";

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// An answer whose "Date:" starts at byte offset dateAt, padded by a filler header before it.
std::string AnswerWithDateAt(size_t dateAt) {
    std::string head = "HTTP/1.0 200 OK\r\nX-Pad: ";
    const std::string tail = "\r\n";
    head.append(dateAt - head.size() - tail.size(), 'p');
    return head + tail + kDateLine + "\r\n";
}

struct AnswerCase {
    const char* Name;
    ConnectionScript Script;
    SerialDate Expected;
    bool Traced;  // the answer's first read holds "Date:"
};

class OneSourceAnswer : public testing::TestWithParam<AnswerCase> {};

TEST_P(OneSourceAnswer, GivesTheTimeOnlyFromADateHeaderInTheFirstRead) {
    const AnswerCase& answer = GetParam();
    LoopbackHttpServer server({answer.Script});
    ASSERT_TRUE(server.Listening());
    StdoutCapture output;
    ASSERT_TRUE(output.Active());
    const std::string_view sources[] = {"http://127.0.0.1/"};

    const SerialDate result = AskTimeSources({sources, server.Port()}).First.HeaderUtc;

    EXPECT_DOUBLE_EQ(result, answer.Expected);
    EXPECT_EQ(output.Take(), answer.Traced ? "http://127.0.0.1/\r\n" : "");
    EXPECT_EQ(server.Connections(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, OneSourceAnswer,
    testing::Values(
        AnswerCase{"Ok", Answer(kGoodAnswer), kHeaderTime, true},
        AnswerCase{"RedirectWithDate",
                   Answer("HTTP/1.1 301 Moved Permanently\r\nLocation: https://elsewhere/\r\n" +
                          kDateLine + "\r\n"),
                   kHeaderTime, true},
        AnswerCase{"NulBytesBeforeDate",
                   Answer("HTTP/1.0 200 OK\r\nX-Binary: \0\0\r\n"s + kDateLine + "\r\n"),
                   kHeaderTime, true},
        AnswerCase{"LowerCaseHeaderName",
                   Answer("HTTP/1.0 200 OK\r\ndate: Sun, 06 Dec 2099 16:28:27 GMT\r\n\r\n"), 0.0,
                   false},
        AnswerCase{"DateNotAtTheStartOfALine",
                   Answer("HTTP/1.0 200 OK\r\nX-Date: Sun, 06 Dec 2099 16:28:27 GMT\r\n\r\n"), 0.0,
                   false},
        // The value's last byte is byte 1000 of the answer: still inside the one read.
        AnswerCase{"DateEndingAtByte1000",
                   Answer(AnswerWithDateAt(1000 - (kDateLine.size() - 2)) + "more"), kHeaderTime,
                   true},
        AnswerCase{"DateMarkerCutByByte1000", Answer(AnswerWithDateAt(997)), 0.0, false},
        AnswerCase{"DateBeyondFirstRead", Answer(AnswerWithDateAt(1100)), 0.0, false},
        AnswerCase{
            "DateInSecondSegment",
            AnswerInTwoSegments("HTTP/1.0 200 OK\r\nServer: test\r\n", kDateLine + "\r\n", 300),
            0.0, false},
        AnswerCase{"ClosedAtOnce", CloseAtOnce(), 0.0, false},
        AnswerCase{"NoCommaInDate",
                   Answer("HTTP/1.0 200 OK\r\nDate: 06 Dec 2099 16:28:27 GMT\r\n\r\n"), 0.0, true},
        AnswerCase{"ZoneOtherThanGmt",
                   Answer("HTTP/1.0 200 OK\r\nDate: Sun, 06 Dec 2099 16:28:27 UTC\r\n\r\n"), 0.0,
                   true}),
    [](const testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.Name); });

struct RequestCase {
    const char* Name;
    std::string_view Url;
    std::string Expected;
};

class RequestBytes : public testing::TestWithParam<RequestCase> {};

TEST_P(RequestBytes, AreOneHttp10GetForTheUrlsPath) {
    LoopbackHttpServer server({Answer(kGoodAnswer)});
    ASSERT_TRUE(server.Listening());
    const std::string_view sources[] = {GetParam().Url};

    AskTimeSources({sources, server.Port()}).First;

    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RequestBytes,
    testing::Values(
        RequestCase{"PathOfTwoSegments", "http://127.0.0.1/a/b",
                    "GET /a/b HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                    "User-Agent: GetHTTP 0.0\r\n\r\n"},
        // https sources are asked in plain HTTP on the same port; no slash means the home page.
        RequestCase{"HttpsWithoutSlash", "https://127.0.0.1",
                    "GET / HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                    "User-Agent: GetHTTP 0.0\r\n\r\n"},
        RequestCase{"HostNameLookedUp", "http://localhost/",
                    "GET / HTTP/1.0\r\nHost: localhost\r\nConnection: close\r\n"
                    "User-Agent: GetHTTP 0.0\r\n\r\n"}),
    [](const testing::TestParamInfo<RequestCase>& info) { return std::string(info.param.Name); });

TEST(FetchNetworkTime, FirstUsableAnswerEndsTheSearch) {
    LoopbackHttpServer server({Answer(kGoodAnswer), Answer(kGoodAnswer)});
    ASSERT_TRUE(server.Listening());
    const std::string_view sources[] = {"http://127.0.0.1/first", "http://127.0.0.1/second",
                                        "http://127.0.0.1/third"};

    EXPECT_DOUBLE_EQ(AskTimeSources({sources, server.Port()}).First.HeaderUtc, kHeaderTime);
    ASSERT_EQ(server.Connections(), 1u);
    EXPECT_EQ(server.Requests()[0].rfind("GET /first ", 0), 0u);
}

TEST(FetchNetworkTime, FailingSourcesAreSkippedInOrderAndTracedOnlyWithDate) {
    LoopbackHttpServer server({
        CloseAtOnce(),
        Answer(kAnswerWithoutDate),
        Answer("HTTP/1.0 200 OK\r\nDate: nonsense\r\n\r\n"),
        Answer(kGoodAnswer),
    });
    ASSERT_TRUE(server.Listening());
    StdoutCapture output;
    const std::string_view sources[] = {kRefusedSource,
                                        "http://127.0.0.1/closed",
                                        "http://127.0.0.1/no-date",
                                        "http://127.0.0.1/bad-date",
                                        "http://127.0.0.1/good",
                                        "http://127.0.0.1/unasked"};

    const auto start = Clock::now();
    EXPECT_DOUBLE_EQ(AskTimeSources({sources, server.Port()}).First.HeaderUtc, kHeaderTime);
    EXPECT_LT(SecondsSince(start), 5.0);

    EXPECT_EQ(output.Take(), "http://127.0.0.1/bad-date\r\nhttp://127.0.0.1/good\r\n");
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[1].rfind("GET /no-date ", 0), 0u);
    EXPECT_EQ(requests[3].rfind("GET /good ", 0), 0u);
}

TEST(FetchNetworkTime, NoUsableSourceGivesExactlyZero) {
    LoopbackHttpServer server({Answer(kAnswerWithoutDate), CloseAtOnce()});
    ASSERT_TRUE(server.Listening());
    const std::string_view sources[] = {"http:///no-host", kRefusedSource,
                                        "http://127.0.0.1/no-date", "http://127.0.0.1/closed"};

    const NetworkReading reading = AskTimeSources({sources, server.Port()}).First;
    EXPECT_EQ(reading.HeaderUtc, 0.0);
    EXPECT_EQ(reading.UtcBeforeSend, 0.0);
    EXPECT_EQ(reading.UtcAfterRead, 0.0);
    EXPECT_EQ(server.Connections(), 2u);
}

struct UnbelievableCase {
    const char* Name;
    const char* DateLine;
};

class UnbelievableFirstSource : public testing::TestWithParam<UnbelievableCase> {};

// A time that parses but cannot be true is no answer: the second source is asked, and the
// local stamps are those of its exchange (the fake clock moves 250 ms per read; the first read
// anchors the stamps).
TEST_P(UnbelievableFirstSource, MakesTheSecondOneBeAsked) {
    LoopbackHttpServer server(
        {Answer("HTTP/1.0 200 OK\r\n" + std::string(GetParam().DateLine) + "\r\n\r\n"),
         Answer(kGoodAnswer)});
    ASSERT_TRUE(server.Listening());
    StdoutCapture output;
    FakeClockScope clock(MakeSystemTime(2026, 12, 7, 0, 28, 27, 0));
    clock.State().MillisecondsPerRead = 250;
    const std::string_view sources[] = {"http://127.0.0.1/first", "http://127.0.0.1/second"};

    const NetworkReading reading = AskTimeSources({sources, server.Port()}).First;

    EXPECT_DOUBLE_EQ(reading.HeaderUtc, kHeaderTime);
    EXPECT_EQ(server.Connections(), 2u);
    EXPECT_EQ(output.Take(), "http://127.0.0.1/first\r\nhttp://127.0.0.1/second\r\n");
    ASSERT_EQ(clock.State().Reads, 5);
    const SerialDate start = 46363.0 + 1707.0 / 86400.0;  // the fake clock's first reading
    EXPECT_NEAR((reading.UtcBeforeSend - start) * 86400e3, 750.0, 1e-3);
    EXPECT_NEAR((reading.UtcAfterRead - start) * 86400e3, 1000.0, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(
    Times, UnbelievableFirstSource,
    testing::Values(UnbelievableCase{"UnixEpoch", "Date: Thu, 01 Jan 1970 00:00:05 GMT"},
                    UnbelievableCase{"BeforeTheBuild", "Date: Sun, 06 Nov 1994 08:49:37 GMT"},
                    UnbelievableCase{"NetworkTimeInYear10000",
                                     "Date: Fri, 31 Dec 9999 23:59:59 GMT"},
                    UnbelievableCase{"NoSuchDay", "Date: Tue, 31 Feb 2099 16:28:27 GMT"}),
    [](const testing::TestParamInfo<UnbelievableCase>& info) {
        return std::string(info.param.Name);
    });

// The one test that waits out the read bound.
TEST(FetchNetworkTime, SilentSourceIsGivenUpAfterTheReadBound) {
    LoopbackHttpServer server({StaySilent(), Answer(kGoodAnswer)});
    ASSERT_TRUE(server.Listening());
    const std::string_view sources[] = {"http://127.0.0.1/silent", "http://127.0.0.1/good"};

    const auto start = Clock::now();
    EXPECT_DOUBLE_EQ(AskTimeSources({sources, server.Port()}).First.HeaderUtc, kHeaderTime);
    const double elapsed = SecondsSince(start);

    EXPECT_GE(elapsed, kReadTimeoutMs / 1000.0 - 0.5);
    EXPECT_LT(elapsed, kReadTimeoutMs / 1000.0 + 5.0);
    EXPECT_EQ(server.Connections(), 2u);
}

TEST(FetchNetworkTime, ConnectThatIsNeverAnsweredIsGivenUpAfterTheConnectBound) {
    LoopbackHttpServer server({Answer(kGoodAnswer)});
    ASSERT_TRUE(server.Listening());
    StalledListener stalled("127.0.0.3", server.Port());
    if (!stalled.Stalled()) {
        GTEST_SKIP() << "this system completes connections beyond a full listen queue";
    }
    const std::string_view sources[] = {"http://127.0.0.3/stalled", "http://127.0.0.1/good"};

    const auto start = Clock::now();
    EXPECT_DOUBLE_EQ(AskTimeSources({sources, server.Port()}).First.HeaderUtc, kHeaderTime);
    const double elapsed = SecondsSince(start);

    EXPECT_GE(elapsed, kConnectTimeoutMs / 1000.0 - 0.5);
    EXPECT_LT(elapsed, kConnectTimeoutMs / 1000.0 + 5.0);
}

// The source's clock runs 370 ms ahead of the host's: the narrowed offset finds it to within
// 10 ms, after the first GET on one kept-alive connection of identical HEAD requests.
TEST(NarrowSourceAnswer, FindsASubSecondOffsetWithinTenMillisecondsOnOneConnection) {
    LoopbackHttpServer server({AnswerWithClock(370), AnswerWithClock(370)});
    ASSERT_TRUE(server.Listening());
    StdoutCapture output;
    const std::string_view sources[] = {"http://localhost/"};

    SourceAnswer answer = AskTimeSources({sources, server.Port()});
    ASSERT_GT(answer.First.HeaderUtc, 0.0);
    const RefinedOffset refined = NarrowSourceAnswer(answer);

    EXPECT_EQ(refined.End, NarrowingEnd::Confirmed);
    EXPECT_NEAR(refined.Bounds.CentreDays() * 86400e3, 370.0, 10.0);
    EXPECT_EQ(output.Take(), "http://localhost/\r\n");  // the narrowing traces nothing
    EXPECT_EQ(server.Connections(), 2u);
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(static_cast<int>(requests.size()), refined.Exchanges);
    EXPECT_LE(refined.Exchanges, kMaxNarrowingExchanges);
    for (size_t index = 1; index < requests.size(); ++index) {
        EXPECT_EQ(requests[index],
                  "HEAD / HTTP/1.1\r\nHost: localhost\r\nConnection: keep-alive\r\n"
                  "User-Agent: GetHTTP 0.0\r\n\r\n");
    }
}

}  // namespace
