// Fuzzes the path of a source's answer: header scan, value parsing, splitting and formatting,
// and the kept-alive and proxied answers' header block.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/date_header.h"
#include "core/kept_alive_request.h"
#include "core/proxy_route.h"
#include "core/serial_date.h"

namespace {

// Up to here a SerialDate keeps whole seconds exactly (about the year 10000).
constexpr double kExactSecondsSerialDays = 3e6;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckSplit(SerialDate date) {
    const DateTimeFields fields = SplitSerialDate(date);
    if (fields.Month == 0) {
        Check(!(std::fabs(date) <= 1e11));
        Check(FormatSerialDate(date, "yyyy-mm-dd hh:mm:ss", {}).empty());
        return;
    }
    Check(fields.Month <= 12 && fields.Day >= 1 && fields.Day <= 31);
    Check(fields.Hour >= 0 && fields.Hour <= 23);
    Check(fields.Minute >= 0 && fields.Minute <= 59 && fields.Second >= 0 && fields.Second <= 59);
    Check(fields.Millisecond >= 0 && fields.Millisecond <= 999);
    // Each separator is two bytes here; a year may be longer than four digits.
    Check(FormatSerialDate(date, "yyyy/mm/dd hh:mm:ss", {"::", "//"}).size() >= 23);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view received(reinterpret_cast<const char*>(data), size);

    const DateHeaderScan scan = ScanForDateHeader(received);
    Check(scan.MarkerFound || scan.Value.empty());
    Check(scan.Value.find("\r\n") == std::string::npos);
    Check(scan.Value.empty() || (scan.Value.front() != ' ' && scan.Value.back() != ' '));

    // The value as the scan gives it, and the raw bytes as a value of their own.
    for (const std::string_view value : {std::string_view(scan.Value), received}) {
        const SerialDate utc = ParseDateHeaderValue(value);
        Check(std::isfinite(utc));
        if (utc == 0.0) {
            continue;
        }
        CheckSplit(utc);
        // A header time is whole seconds: splitting and rebuilding it gives it back exactly.
        if (std::fabs(utc) <= kExactSecondsSerialDays) {
            Check(SplitSerialDate(utc).Millisecond == 0);
            Check(SerialFromFields(SplitSerialDate(utc)) == utc);
        }
        CheckSplit(AddHours(8, utc));
    }

    // A header block ends with its empty line and lies inside what arrived.
    const std::size_t blockLength = HeaderBlockLength(received);
    Check(blockLength == 0 ||
          (blockLength <= size && received.substr(0, blockLength).ends_with("\r\n\r\n")));
    KeepsConnectionOpen(received.substr(0, blockLength));
    IsProxyFailureAnswer(received);

    const double timeOfDay = TimeOfDayValue(received);
    Check(timeOfDay >= 0.0 && timeOfDay < 1.0);
    return 0;
}
