// Reading, writing and deleting one string value of the registry.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Texts are UTF-8 here and UTF-16 in the registry. Key paths may end in backslashes. Value
// names and texts longer than kMaxRegistryTextBytes are refused, never cut.

// The value's data up to its first zero, whatever type it is stored as; defaultText when the
// key or the value cannot be read or the data does not fit the buffer.
std::string ReadRegistryText(HKEY root, std::string_view keyPath, std::string_view valueName,
                             std::string_view defaultText);

// Creates the key if needed and stores the text as REG_SZ; true when the value was written.
bool WriteRegistryText(HKEY root, std::string_view keyPath, std::string_view valueName,
                       std::string_view text);

// Deletes the value, with whatever access the caller has to the key; true when it was deleted.
bool DeleteRegistryEntry(HKEY root, std::string_view keyPath, std::string_view valueName);
