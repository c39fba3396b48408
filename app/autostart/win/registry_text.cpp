// Reading, writing and deleting one string value of the registry.
#include "app/autostart/win/registry_text.h"

#include <array>
#include <cwchar>

#include "app/autostart/registry_text_limits.h"
#include "core/win/registry_key.h"
#include "core/win/wide_text.h"

namespace {

// No class, a key that persists, no security attributes: what the Run key needs.
constexpr DWORD kNonVolatileKey = REG_OPTION_NON_VOLATILE;

std::wstring WideKeyPath(std::string_view keyPath) {
    return Widen(WithoutTrailingBackslashes(keyPath));
}

UniqueRegistryKey OpenKey(HKEY root, std::string_view keyPath, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, WideKeyPath(keyPath).c_str(), 0, access, &key) != ERROR_SUCCESS) {
        return {};
    }
    return UniqueRegistryKey(key);
}

}  // namespace

std::string ReadRegistryText(HKEY root, std::string_view keyPath, std::string_view valueName,
                             std::string_view defaultText) {
    if (!FitsRegistryBuffer(valueName)) {
        return std::string(defaultText);
    }
    const UniqueRegistryKey key = OpenKey(root, keyPath, KEY_READ);
    if (!key) {
        return std::string(defaultText);
    }
    // One UTF-16 unit per byte of the limit, so every text within it fits. Zero-filled: data
    // stored without a terminating zero still ends inside the buffer.
    std::array<wchar_t, kRegistryTextBufferBytes> buffer{};
    DWORD sizeBytes = sizeof(buffer);
    const LONG status = RegQueryValueExW(key.get(), Widen(valueName).c_str(), nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(buffer.data()), &sizeBytes);
    // A missing value, and data too long for the buffer (which then holds nothing defined).
    if (status != ERROR_SUCCESS) {
        return std::string(defaultText);
    }
    return Narrow(std::wstring_view(buffer.data(), wcsnlen(buffer.data(), buffer.size())));
}

bool WriteRegistryText(HKEY root, std::string_view keyPath, std::string_view valueName,
                       std::string_view text) {
    if (!FitsRegistryBuffer(valueName) || !FitsRegistryBuffer(text)) {
        return false;
    }
    wchar_t noClass[] = L"";
    HKEY rawKey = nullptr;
    if (RegCreateKeyExW(root, WideKeyPath(keyPath).c_str(), 0, noClass, kNonVolatileKey, KEY_WRITE,
                        nullptr, &rawKey, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const UniqueRegistryKey key(rawKey);
    const std::wstring data = Widen(text);
    const auto dataBytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), Widen(valueName).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()), dataBytes) == ERROR_SUCCESS;
}

bool DeleteRegistryEntry(HKEY root, std::string_view keyPath, std::string_view valueName) {
    if (!FitsRegistryBuffer(valueName)) {
        return false;
    }
    const UniqueRegistryKey key = OpenKey(root, keyPath, MAXIMUM_ALLOWED);
    if (!key) {
        return false;
    }
    return RegDeleteValueW(key.get(), Widen(valueName).c_str()) == ERROR_SUCCESS;
}
