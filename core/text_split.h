// Small text helpers of the time-source code: splitting, trimming, ASCII case, leading integers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits at every occurrence of delimiter (exact, case-sensitive). Returns the number of
// fields (at least 1); an empty text returns -1 and leaves fields as they were. An empty
// delimiter occurs nowhere: the whole text is the one field.
int SplitText(std::string_view text, std::string_view delimiter, std::vector<std::string>& fields);

// Removes leading and trailing blanks (spaces only).
std::string_view TrimSpaces(std::string_view text);

std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);

// Skips leading spaces, reads decimal digits up to the first non-digit; 0 without a digit.
// Saturates instead of overflowing on absurdly long digit runs.
long LeadingInteger(std::string_view text);
