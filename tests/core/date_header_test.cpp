// Finding the Date header in a source's answer, turning its value into a UTC SerialDate, and
// whether that time can be true; where a kept-alive answer ends, and whether it keeps the line.
#include "core/date_header.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "core/kept_alive_request.h"
#include "core/network_estimate.h"

namespace {

using namespace std::string_literals;

TEST(ScanForDateHeader, FindsTheFirstMarkerAndCutsTheValue) {
    struct Case {
        std::string Received;
        bool MarkerFound;
        const char* Value;
    };
    const Case cases[] = {
        {"HTTP/1.1 302 Found\r\nServer: x\r\nDate: Sun, 06 Dec 2026 16:28:27 GMT\r\n"
         "Content-Length: 0\r\n\r\n",
         true, "06 Dec 2026 16:28:27 GMT"},
        {"HTTP/1.1 200 OK\r\ndate: Sun, 06 Dec 2026 16:28:27 GMT\r\n\r\n", false, ""},
        {"HTTP/1.0 200 OK\r\nX-Bin: \0\0\0\r\nDate: Sun, 06 Dec 2026 16:28:27 GMT\r\n"s, true,
         "06 Dec 2026 16:28:27 GMT"},
        {"Date: Mon, 07 Dec 2026 00:00:00 GMT\r\nDate: Sun, 06 Dec 2026 16:28:27 GMT\r\n", true,
         "07 Dec 2026 00:00:00 GMT"},
        // Only a "Date:" that starts a header line counts.
        {"HTTP/1.0 200 OK\r\nX-Date: Sun, 06 Dec 2026 16:28:27 GMT\r\n", false, ""},
        {"HTTP/1.0 200 OK Date: Sun, 06 Dec 2026 16:28:27 GMT\r\n", false, ""},
        {"X-Date: Mon, 07 Dec 2026 00:00:00 GMT\nDate: Sun, 06 Dec 2026 16:28:27 GMT\r\n", true,
         "06 Dec 2026 16:28:27 GMT"},
        {"Date:Sun, 06 Dec 2026 16:28:27 GMT", true, "06 Dec 2026 16:28:27 GMT"},
        {"Date: Sun,   06 Dec 2026 16:28:27 GMT   \r\n", true, "06 Dec 2026 16:28:27 GMT"},
        {"Date: Sun, 06 Dec 2026 16:2", true, "06 Dec 2026 16:2"},  // read cut short
        // The comma must be looked for within the Date line only.
        {"Date: 06 Dec 2026 16:28:27 GMT\r\nVary: a, b\r\n", true, ""},
        {"Date: Sun, 06 Dec 2026 16:28:27 GMT\nVary: x\n", true,
         "06 Dec 2026 16:28:27 GMT\nVary: x\n"},
        {"Date:", true, ""},
        {"Date:,", true, ""},
        {"Date: ,", true, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        const DateHeaderScan scan = ScanForDateHeader(c.Received);
        EXPECT_EQ(c.MarkerFound, scan.MarkerFound) << c.Received;
        EXPECT_EQ(c.Value, scan.Value) << c.Received;
    }
}

// The received bytes are no terminated string: nothing past their end may be read.
TEST(ScanForDateHeader, StaysWithinTheBytesReceived) {
    const std::string text = "HTTP/1.0 200 OK\r\nDate: Sun, 06 Dec";
    for (std::size_t length = 0; length <= text.size(); ++length) {
        const auto exact = std::make_unique<char[]>(length);
        text.copy(exact.get(), length);
        (void)ScanForDateHeader(std::string_view(exact.get(), length));
    }
    EXPECT_EQ("06 Dec", ScanForDateHeader(text).Value);
}

TEST(MonthNumber, UpperCaseNamesOnly) {
    const char* const names[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    for (int month = 1; month <= 12; ++month) {
        EXPECT_EQ(month, MonthNumber(names[month - 1]));
    }
    for (const char* other : {"Jan", "JANUARY", "JA", "", "12", "DEC "}) {
        EXPECT_EQ(0, MonthNumber(other)) << other;
    }
}

TEST(ParseDateHeaderValue, AcceptedValues) {
    struct Case {
        const char* Value;
        double Expected;
    };
    const Case cases[] = {
        {"06 Nov 1994 08:49:37 GMT", 34644.367789351854},
        {"06 Dec 2026 16:28:27 GMT", 46362.686423611114},
        {"06 dec 2026 16:28:27 gmt", 46362.686423611114},
        {"6 Dec 2026 16:28:27 GMT", 46362.686423611114},
        {"29 Feb 2024 23:59:59 GMT", 45351 + 86399 / 86400.0},
        {"31 Dec 2026 00:00:00 GMT", 46387.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.Expected, ParseDateHeaderValue(c.Value)) << c.Value;
    }
}

TEST(ParseDateHeaderValue, RejectedValues) {
    const char* const values[] = {
        "",
        "06  Dec 2026 16:28:27 GMT",
        "06 Dec 2026 16:28:27 UTC",
        "06 Dec 2026 16:28:27 +0000",
        "06 Dec 2026 16:28:27 GMT ",
        "06 Dec 2026 16:28:27",
        "Sun, 06 Dec 2026 16:28:27 GMT",
        "06-Nov-94 08:49:37 GMT",  // the obsolete form, behind its comma
        "Sun Nov  6 08:49:37 1994",
        "06 Foo 2026 16:28:27 GMT",  // unknown month: not December of 2025
        "06 12 2026 16:28:27 GMT",
        "06 December 2026 16:28:27 GMT",
        "06\tDec 2026 16:28:27 GMT",
        // Every field in range: no roll-over into the next month or day, no midnight stand-in.
        "31 Feb 2026 16:28:27 GMT",
        "29 Feb 2026 16:28:27 GMT",
        "31 Apr 2026 16:28:27 GMT",
        "00 Dec 2026 16:28:27 GMT",
        "06 Dec 2026 25:61:61 GMT",
        "06 Dec 2026 24:00:00 GMT",
        "06 Dec 2026 23:59:60 GMT",
        "06 Dec 2026 16:28 GMT",
        "06 Dec 2026 6:28:27 GMT",
        "06 Dec 2026 16h28 GMT",
        "06 Dec 2026 04:28:27 PM GMT",
    };
    for (const char* value : values) {
        EXPECT_EQ(0.0, ParseDateHeaderValue(value)) << value;
    }
}

TEST(ParseDateHeaderValue, HugeNumbersSaturate) {
    const double value = ParseDateHeaderValue("31 Dec 99999999999999999999 23:59:59 GMT");
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_GT(value, 46362.0);
    EXPECT_EQ(0.0, ParseDateHeaderValue("99999999999999999999 Dec 2026 16:28:27 GMT"));
}

// From the answer's bytes to a source time: the header line, the parse, then whether a time
// can be true for a program built on 2026-12-01.
TEST(DateChecks, AnswerToBelievableSourceTime) {
    const long buildDay = DaySerial(2026, 12, 1);
    struct Case {
        const char* Received;
        double ParsedUtc;  // 0: no header value, or one that does not parse
        bool Believable;
    };
    const Case cases[] = {
        {"Date: Sun, 06 Nov 1994 08:49:37 GMT\r\n", 34644.367789351854, false},
        {"Date: Sun, 06 Dec 2026 16:28:27 GMT\r\n", 46362.686423611114, true},
        {"Date: Thu, 01 Jan 1970 00:00:05 GMT\r\n", 25569 + 5 / 86400.0, false},
        // The build day is a local date: UTC may still be 14 hours short of it.
        {"Date: Mon, 30 Nov 2026 10:00:00 GMT\r\n", 46356 + 10 / 24.0, true},
        {"Date: Mon, 30 Nov 2026 09:59:59 GMT\r\n", 46356 + 35999 / 86400.0, false},
        // The network time (+8 h) must stay within the year 9999.
        {"Date: Fri, 31 Dec 9999 15:59:59 GMT\r\n", 2958465 + 57599 / 86400.0, true},
        {"Date: Fri, 31 Dec 9999 16:00:00 GMT\r\n", 2958465 + 16 / 24.0, false},
        {"Date: Fri, 31 Dec 9999 23:59:59 GMT\r\n", 2958465 + 86399 / 86400.0, false},
        {"Date: Tue, 31 Feb 2026 16:28:27 GMT\r\n", 0.0, false},
        {"Date: Sun, 06 Dec 2026 25:61:61 GMT\r\n", 0.0, false},
        {"HTTP/1.0 200 OK\r\nX-Date: Sun, 06 Dec 2026 16:28:27 GMT\r\n", 0.0, false},
        {"HTTP/1.0 200 OK Date: Sun, 06 Dec 2026 16:28:27 GMT\r\n", 0.0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Received);
        const SerialDate utc = ParseDateHeaderValue(ScanForDateHeader(c.Received).Value);
        EXPECT_EQ(c.ParsedUtc, utc);
        EXPECT_EQ(c.Believable, utc > 0.0 && IsBelievableSourceTime(utc, buildDay));
    }
    EXPECT_FALSE(IsBelievableSourceTime(std::nan(""), buildDay));
}

TEST(DayOfCompilerDate, ReadsTheCompilersDateForm) {
    EXPECT_EQ(DayOfCompilerDate("Dec  8 2026"), DaySerial(2026, 12, 8));
    EXPECT_EQ(DayOfCompilerDate("Feb 29 2028"), DaySerial(2028, 2, 29));
    for (const char* other : {"", "Dec 8 2026", "Foo  8 2026", "Dec 00 2026", "2026-12-08 "}) {
        EXPECT_EQ(DayOfCompilerDate(other), 0) << other;
    }
    EXPECT_GE(ProgramBuildDay(), DaySerial(2026, 12, 8));
}

TEST(DateHeaderChain, AnswerToNetworkTimeReadout) {
    const DateHeaderScan scan = ScanForDateHeader(
        "HTTP/1.1 301 Moved Permanently\r\nDate: Sun, 06 Dec 2026 16:28:27 GMT\r\n\r\n");
    const SerialDate network = AddHours(8, ParseDateHeaderValue(scan.Value));
    EXPECT_EQ(46363.01975694444, network);
    EXPECT_EQ("2026-12-07 00:28:27", FormatSerialDate(network, "yyyy-mm-dd hh:mm:ss", {}));
}

// A kept-alive answer's headers end at the empty line; HTTP/1.1 keeps the connection unless it
// says close, HTTP/1.0 only when it says keep-alive, names and tokens in any case.
TEST(KeptAliveAnswer, EndsAtTheEmptyLineAndKeepsTheConnectionAsHttpSays) {
    const struct {
        const char* Received;
        size_t HeaderBytes;
        bool KeepsOpen;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nDate: x\r\n\r\n", 28, true},
        {"HTTP/1.1 200 OK\r\ncOnNeCtIoN :  Close\r\n\r\nbody", 40, false},
        {"HTTP/1.1 200 OK\r\nConnection: keep-alive, close\r\n\r\n", 50, false},
        {"HTTP/1.0 200 OK\r\nDate: x\r\n\r\n", 28, false},
        {"HTTP/1.0 200 OK\r\nConnection: Keep-Alive\r\n\r\n", 43, true},
        {"HTTP/1.1 200 OK\r\nDate: x\r\n", 0, true},  // not all here yet
    };
    for (const auto& c : cases) {
        const std::string_view received(c.Received);
        EXPECT_EQ(HeaderBlockLength(received), c.HeaderBytes) << c.Received;
        const size_t end = c.HeaderBytes == 0 ? received.size() : c.HeaderBytes;
        EXPECT_EQ(KeepsConnectionOpen(received.substr(0, end)), c.KeepsOpen) << c.Received;
    }
}

}  // namespace
