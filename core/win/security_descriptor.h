// Security descriptors made from SDDL text, and the owner of what Windows' security calls
// allocate with LocalAlloc (descriptors, SIDs).
#pragma once

#include <windows.h>

#include "core/win/unique_handle.h"

struct LocalMemoryTraits {
    using Type = void*;
    static Type Invalid() { return nullptr; }
    static void Close(Type memory) { LocalFree(memory); }
};
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;

// The descriptor of an SDDL text; empty when Windows cannot read it.
UniqueLocalMemory DescriptorFromSddl(const wchar_t* sddl);
