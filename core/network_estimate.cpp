// From one exchange with a time source to the network time and its offset from the local clock.
#include "core/network_estimate.h"

#include <cmath>
#include <string_view>

#include "core/date_header.h"
#include "core/text_split.h"

namespace {

// The first day no network time may reach: SYSTEMTIME and four-digit years end with 9999.
constexpr int kFirstYearTooLate = 10000;

}  // namespace

NetworkEstimate EstimateNetworkTime(const NetworkReading& reading) {
    const SerialDate sourceAtMiddle = reading.HeaderUtc + kHeaderMidSecondDays;
    const SerialDate utcAtMiddle = MiddleUtcOf(reading);
    const double offset = sourceAtMiddle - utcAtMiddle;
    return {NetworkTimeAt(utcAtMiddle, offset), offset};
}

SerialDate MiddleUtcOf(const NetworkReading& reading) {
    return (reading.UtcBeforeSend + reading.UtcAfterRead) / 2.0;
}

SerialDate NetworkTimeAt(SerialDate utc, double offsetDays) {
    return utc + offsetDays + kNetworkZoneOffsetHours / kHoursPerDay;
}

bool IsBelievableSourceTime(SerialDate headerUtc, long buildDay) {
    const double earliest = static_cast<double>(buildDay) - kLocalDateLeadDays;
    if (!(headerUtc >= earliest)) {
        return false;  // NaN too
    }
    // In whole seconds, where nothing rounds: the network time of the header's second, its
    // middle included, must still fall before the year 10000.
    const double headerSecond = std::round(headerUtc * kSecondsPerDay);
    const double firstTooLate =
        static_cast<double>(DaySerial(kFirstYearTooLate, 1, 1)) * kSecondsPerDay -
        kNetworkZoneOffsetHours * 3600.0;
    return headerSecond < firstTooLate;
}

SerialDate BelievableHeaderTime(std::string_view received) {
    const DateHeaderScan scan = ScanForDateHeader(received);
    const SerialDate utc = scan.Value.empty() ? 0.0 : ParseDateHeaderValue(scan.Value);
    return utc > 0.0 && IsBelievableSourceTime(utc, ProgramBuildDay()) ? utc : 0.0;
}

long DayOfCompilerDate(const char* compilerDate) {
    // "Mmm dd yyyy", the day padded with a blank: "Dec  8 2026".
    const std::string_view text(compilerDate);
    if (text.size() != 11 || text[3] != ' ' || text[6] != ' ') {
        return 0;
    }
    const int month = MonthNumber(ToUpperAscii(text.substr(0, 3)));
    const long day = LeadingInteger(text.substr(4, 2));
    const long year = LeadingInteger(text.substr(7));
    if (month == 0 || day < 1 || day > 31 || year < 1) {
        return 0;
    }
    return DaySerial(static_cast<int>(year), month, static_cast<int>(day));
}

long ProgramBuildDay() {
    // The date this file was compiled: an incremental build that leaves it alone keeps an
    // older day, which only lets more through.
    return DayOfCompilerDate(__DATE__);
}
