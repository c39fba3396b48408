// The HTTP side of a time source: the request we send and the Date header we read back.
#include "core/date_header.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include "core/text_split.h"

namespace {

constexpr std::string_view kDateMarker = "Date:";
// "Date:" and the one character behind it, normally the blank.
constexpr std::size_t kMarkerSkipBytes = kDateMarker.size() + 1;
constexpr std::string_view kLineEnd = "\r\n";

constexpr std::array<std::string_view, 12> kMonthNames = {
    "JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC",
};

// The five fields of "06 DEC 2026 16:28:27 GMT".
constexpr int kDateFieldCount = 5;
constexpr std::string_view kZoneName = "GMT";

// Header numbers saturate in LeadingInteger; they must also fit DaySerial's int arguments.
int ClampToInt(long value) {
    return static_cast<int>(std::min<long>(value, std::numeric_limits<int>::max()));
}

int DaysInMonth(int year, int month) {
    constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// Two decimal digits at text[at], or -1.
int TwoDigits(std::string_view text, std::size_t at) {
    const auto digit = [&](std::size_t index) {
        return text[index] >= '0' && text[index] <= '9' ? text[index] - '0' : -100;
    };
    const int value = digit(at) * 10 + digit(at + 1);
    return value < 0 ? -1 : value;
}

// Seconds since midnight for exactly "hh:mm:ss" (00..23, 00..59, 00..59); -1 for anything
// else. Header times have no leap second: 60 is refused like any other second out of range.
int ClockSeconds(std::string_view text) {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') {
        return -1;
    }
    const int hour = TwoDigits(text, 0);
    const int minute = TwoDigits(text, 3);
    const int second = TwoDigits(text, 6);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return -1;
    }
    return (hour * 60 + minute) * 60 + second;
}

}  // namespace

std::string BuildSourceRequest(std::string_view requestLine, std::string_view host,
                               std::string_view connection) {
    std::string request(requestLine);
    request.append("\r\nHost: ").append(host).append("\r\n");
    request.append("Connection: ").append(connection).append("\r\n");
    request.append("User-Agent: GetHTTP 0.0\r\n");
    request.append("\r\n");
    return request;
}

std::string BuildDateRequest(std::string_view host, std::string_view path) {
    return BuildSourceRequest("GET /" + std::string(path) + " HTTP/1.0", host, "close");
}

DateHeaderScan ScanForDateHeader(std::string_view received) {
    DateHeaderScan scan;
    std::size_t marker = received.find(kDateMarker);
    // A header line starts the answer or follows a line feed (CR LF or a bare LF).
    while (marker != std::string_view::npos && marker != 0 && received[marker - 1] != '\n') {
        marker = received.find(kDateMarker, marker + 1);
    }
    if (marker == std::string_view::npos) {
        return scan;
    }
    scan.MarkerFound = true;
    // An answer cut off right after "Date:" has nothing behind it to skip.
    std::string_view line = received.substr(std::min(marker + kMarkerSkipBytes, received.size()));
    line = line.substr(0, line.find(kLineEnd));
    const std::size_t comma = line.find(',');
    if (comma != std::string_view::npos) {
        scan.Value = TrimSpaces(line.substr(comma + 1));
    }
    return scan;
}

int MonthNumber(std::string_view upperName) {
    const auto found = std::find(kMonthNames.begin(), kMonthNames.end(), upperName);
    return found == kMonthNames.end() ? 0 : static_cast<int>(found - kMonthNames.begin()) + 1;
}

SerialDate ParseDateHeaderValue(std::string_view value) {
    std::vector<std::string> fields;
    if (SplitText(ToUpperAscii(value), " ", fields) != kDateFieldCount || fields[4] != kZoneName) {
        return 0.0;
    }
    // An unknown month would read as month 0, silently December of the year before.
    const int month = MonthNumber(fields[1]);
    const int year = ClampToInt(LeadingInteger(fields[2]));
    const long day = LeadingInteger(fields[0]);
    const int secondsOfDay = ClockSeconds(fields[3]);
    // Out-of-range days would roll into the next month; such a header is no date at all.
    if (month == 0 || day < 1 || day > DaysInMonth(year, month) || secondsOfDay < 0) {
        return 0.0;
    }
    return DaySerial(year, month, static_cast<int>(day)) + secondsOfDay / kSecondsPerDay;
}
