// Field extraction and lenient number reading for the form runtime's short text descriptions.
#include "forms/text_field.h"

#include <charconv>
#include <cmath>
#include <system_error>

std::string_view TextField(std::string_view text, std::string_view separator, int n) {
    if (n < 1 || separator.empty()) {
        return text;
    }
    size_t fieldStart = 0;
    for (int field = 1;; ++field) {
        const size_t found = text.find(separator, fieldStart);
        if (found == std::string_view::npos) {
            // The rest of the text is field number `field`; anything beyond is missing.
            return field == n ? text.substr(fieldStart) : text;
        }
        if (field == n) {
            return text.substr(fieldStart, found - fieldStart);
        }
        fieldStart = found + separator.size();
    }
}

int CountFields(std::string_view text, std::string_view separator) {
    if (separator.empty()) {
        return 1;
    }
    int fields = 1;
    for (size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator, at + separator.size())) {
        ++fields;
    }
    return fields;
}

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

double ReadLeadingNumber(std::string_view text) {
    size_t at = text.find_first_not_of(' ');
    if (at == std::string_view::npos) {
        return 0.0;
    }
    bool negative = false;
    if (text[at] == '+' || text[at] == '-') {
        negative = text[at] == '-';
        ++at;
    }
    const size_t numberStart = at;
    size_t digits = 0;
    while (at < text.size() && IsDigit(text[at])) {
        ++at;
        ++digits;
    }
    const size_t integerDigits = digits;
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && IsDigit(text[at])) {
            ++at;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    double magnitude = 0.0;
    const char* first = text.data() + numberStart;
    const std::from_chars_result parsed =
        std::from_chars(first, text.data() + at, magnitude, std::chars_format::fixed);
    if (parsed.ec == std::errc::result_out_of_range) {
        // Hundreds of digits: too large for a double when the whole part is not zero,
        // otherwise a fraction too small to tell from zero.
        const std::string_view whole = text.substr(numberStart, integerDigits);
        magnitude = whole.find_first_not_of('0') != std::string_view::npos ? HUGE_VAL : 0.0;
    }
    return negative ? -magnitude : magnitude;
}
