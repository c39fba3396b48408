// Field extraction and lenient number reading for the form runtime's short text descriptions.
#pragma once

#include <string_view>

// The n-th (1-based) field of text, fields separated by separator (case-sensitive).
// A text with fewer than n fields gives the whole text, so a missing number field reads as
// the number the whole text starts with (usually 0). n < 1 or an empty separator also gives
// the whole text.
std::string_view TextField(std::string_view text, std::string_view separator, int n);

// Number of fields TextField can see: occurrences of separator plus one.
int CountFields(std::string_view text, std::string_view separator);

// Reads the decimal number at the start of text: leading spaces are skipped, then an optional
// sign, digits, and an optional fraction. Reading stops at the first character that cannot
// continue the number; a text that does not start with a number reads as 0.
double ReadLeadingNumber(std::string_view text);
