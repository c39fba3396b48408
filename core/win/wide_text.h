// Conversion between the program's UTF-8 texts and the UTF-16 of the wide Windows API.
#pragma once

#include <string>
#include <string_view>

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
