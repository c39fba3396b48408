// Owner for open registry keys.
#pragma once

#include <windows.h>

#include "core/win/unique_handle.h"

struct RegistryKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type key) { RegCloseKey(key); }
};
using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;
