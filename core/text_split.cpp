// Small text helpers of the time-source code: splitting, trimming, ASCII case, leading integers.
#include "core/text_split.h"

#include <limits>
#include <utility>

int SplitText(std::string_view text, std::string_view delimiter, std::vector<std::string>& fields) {
    if (text.empty()) {
        return -1;
    }
    std::vector<std::string> found;
    std::size_t start = 0;
    // An empty delimiter occurs nowhere: searching for it would never move on.
    if (!delimiter.empty()) {
        for (std::size_t at = text.find(delimiter); at != std::string_view::npos;
             at = text.find(delimiter, start)) {
            found.emplace_back(text.substr(start, at - start));
            start = at + delimiter.size();
        }
    }
    found.emplace_back(text.substr(start));
    fields = std::move(found);
    return static_cast<int>(fields.size());
}

std::string_view TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string ToUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

long LeadingInteger(std::string_view text) {
    constexpr long kMax = std::numeric_limits<long>::max();
    std::size_t at = text.find_first_not_of(' ');
    long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        const int digit = text[at] - '0';
        if (value > (kMax - digit) / 10) {
            return kMax;
        }
        value = value * 10 + digit;
    }
    return value;
}
