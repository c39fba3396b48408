// Conversion between the program's UTF-8 texts and the UTF-16 of the wide Windows API.
#include "core/win/wide_text.h"

#include <windows.h>

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int inputBytes = static_cast<int>(utf8.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inputBytes, nullptr, 0);
    if (units <= 0) {
        return {};
    }
    std::wstring result(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inputBytes, result.data(), units);
    return result;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int inputUnits = static_cast<int>(utf16.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), inputUnits, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return {};
    }
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), inputUnits, result.data(), bytes, nullptr,
                        nullptr);
    return result;
}
