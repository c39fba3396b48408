// The HTTP side of a time source: the request we send and the Date header we read back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/serial_date.h"

// Size of the one read of a source's answer; nothing beyond it is ever looked at.
constexpr std::size_t kResponseBufferBytes = 1000;

// A request line and the headers every request to a source carries: Host, Connection and
// User-Agent, in that order, ending in CR LF CR LF.
std::string BuildSourceRequest(std::string_view requestLine, std::string_view host,
                               std::string_view connection);

// "GET /<path> HTTP/1.0", Host, Connection: close, User-Agent, ending in CR LF CR LF.
std::string BuildDateRequest(std::string_view host, std::string_view path);

struct DateHeaderScan {
    bool MarkerFound = false;  // "Date:" occurs in the bytes (the trace line is then written)
    std::string Value;         // the value behind the weekday's comma, trimmed; empty on failure
};

// Looks for the first "Date:" (case-sensitive) that starts a header line: at the very start of
// the bytes received or right after a line feed. A name that merely ends in "Date:"
// ("X-Date:") or a "Date:" inside a line does not count. NUL bytes are bytes like any other.
DateHeaderScan ScanForDateHeader(std::string_view received);

// Month number for an upper-case three-letter English month name; 0 for anything else.
int MonthNumber(std::string_view upperName);

// Turns a header value such as "06 Dec 2026 16:28:27 GMT" into a UTC SerialDate (any case).
// Gives 0.0 unless there are five single-space-separated fields ending in GMT, with a known
// month, a day that exists in that month and year, and a time of exactly "hh:mm:ss" within
// 00:00:00..23:59:59. Whether the time is believable is the caller's question.
SerialDate ParseDateHeaderValue(std::string_view value);
