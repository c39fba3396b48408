// The machine-wide Run key as the autostart tests see it: raw access that bypasses the code
// under test, the program's value removed before and after each test, and a key made read-only.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/win/registry_key.h"

inline constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValue[] = L"Quelan_Tikora";

// Stores raw data under the program's value name.
void StoreRunValue(DWORD type, const void* data, DWORD sizeBytes);
void StoreRunText(const std::wstring& text);
// The program's value as REG_SZ text; nullopt when it is missing.
std::optional<std::wstring> RunText();
void DeleteRunValue();

// Removes the program's value on construction and destruction.
class RunValueCleanup {
public:
    RunValueCleanup() { DeleteRunValue(); }
    RunValueCleanup(const RunValueCleanup&) = delete;
    RunValueCleanup& operator=(const RunValueCleanup&) = delete;
    ~RunValueCleanup() { DeleteRunValue(); }
};

// Lets everyone only read the Run key while it lives, as a machine whose policy or security
// software refuses changes would; the key's own permissions come back afterwards.
class ReadOnlyRunKey {
public:
    ReadOnlyRunKey();
    ReadOnlyRunKey(const ReadOnlyRunKey&) = delete;
    ReadOnlyRunKey& operator=(const ReadOnlyRunKey&) = delete;
    ~ReadOnlyRunKey();
    bool Locked() const { return locked_; }

private:
    UniqueRegistryKey key_;
    std::vector<BYTE> savedSecurity_;
    bool locked_ = false;
};
