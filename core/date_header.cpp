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

}  // namespace

std::string BuildDateRequest(std::string_view host, std::string_view path) {
    std::string request;
    request.append("GET /").append(path).append(" HTTP/1.0\r\n");
    request.append("Host: ").append(host).append("\r\n");
    request.append("Connection: close\r\n");
    request.append("User-Agent: GetHTTP 0.0\r\n");
    request.append("\r\n");
    return request;
}

DateHeaderScan ScanForDateHeader(std::string_view received) {
    DateHeaderScan scan;
    const std::size_t marker = received.find(kDateMarker);
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
    if (month == 0) {
        return 0.0;
    }
    const int day = ClampToInt(LeadingInteger(fields[0]));
    const int year = ClampToInt(LeadingInteger(fields[2]));
    return DaySerial(year, month, day) + TimeOfDayValue(fields[3]);
}
