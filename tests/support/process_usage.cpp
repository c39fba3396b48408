// What a test process uses: its GDI objects, its private memory and its thread's CPU time, for
// the tests that check long runs stay flat and report what painting costs.
#include "tests/support/process_usage.h"

#include <psapi.h>

namespace {

// GDI handles carry a 16-bit table index in their lower word.
constexpr UINT_PTR kMaxGdiHandleIndex = 0xFFFF;

ULONGLONG Units(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

ProcessUsage CurrentProcessUsage() {
    ProcessUsage usage;
    usage.GdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (usage.GdiObjects == 0) {
        for (UINT_PTR index = 1; index <= kMaxGdiHandleIndex; ++index) {
            usage.GdiObjects += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0 ? 1 : 0;
        }
    }
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory))) {
        // Wine leaves PrivateUsage at 0; PagefileUsage counts the same committed bytes.
        usage.PrivateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
    }
    return usage;
}

ULONGLONG ThreadCpuTime() {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) {
        return 0;
    }
    return Units(kernel) + Units(user);
}
