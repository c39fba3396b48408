// The limits of the registry texts the program reads and writes, and how key paths are given.
#include "app/autostart/registry_text_limits.h"

bool FitsRegistryBuffer(std::string_view utf8Text) {
    return utf8Text.size() <= kMaxRegistryTextBytes;
}

std::string_view WithoutTrailingBackslashes(std::string_view keyPath) {
    while (!keyPath.empty() && keyPath.back() == '\\') {
        keyPath.remove_suffix(1);
    }
    return keyPath;
}
