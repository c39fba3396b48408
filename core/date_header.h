// The HTTP side of a time source: the request we send and the Date header we read back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/serial_date.h"

// Size of the one read of a source's answer; nothing beyond it is ever looked at.
constexpr std::size_t kResponseBufferBytes = 1000;

// "GET /<path> HTTP/1.0", Host, Connection: close, User-Agent, ending in CR LF CR LF.
std::string BuildDateRequest(std::string_view host, std::string_view path);

struct DateHeaderScan {
    bool MarkerFound = false;  // "Date:" occurs in the bytes (the trace line is then written)
    std::string Value;         // the value behind the weekday's comma, trimmed; empty on failure
};

// Looks for "Date:" (case-sensitive) anywhere in the bytes received, NUL bytes included.
DateHeaderScan ScanForDateHeader(std::string_view received);

// Month number for an upper-case three-letter English month name; 0 for anything else.
int MonthNumber(std::string_view upperName);

// Turns a header value such as "06 Dec 2026 16:28:27 GMT" into a UTC SerialDate.
// Anything but five single-space-separated fields ending in GMT with a known month gives 0.0.
SerialDate ParseDateHeaderValue(std::string_view value);
