// What a test process uses: its GDI objects, its private memory and its thread's CPU time, for
// the tests that check long runs stay flat and report what painting costs.
#include "tests/support/process_usage.h"

#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// GDI handles carry a 16-bit table index in their lower word.
constexpr UINT_PTR kMaxGdiHandleIndex = 0xFFFF;
constexpr SIZE_T kFlatMemoryBytes = 128 * 1024;
constexpr double kHundredNsPerMicrosecond = 10.0;

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

RepeatedRun RunRepeatedly(int times, const std::function<void()>& action) {
    RepeatedRun run;
    run.Times = times;
    run.Before = CurrentProcessUsage();
    const ULONGLONG cpuBefore = ThreadCpuTime();
    for (int i = 0; i < times; ++i) {
        action();
    }
    const ULONGLONG cpu = ThreadCpuTime() - cpuBefore;
    run.After = CurrentProcessUsage();
    run.CpuMicrosecondsEach =
        times > 0 ? static_cast<double>(cpu) / kHundredNsPerMicrosecond / times : 0.0;
    return run;
}

void ExpectFlatUsage(const RepeatedRun& run, const char* whatWasRepeated) {
    EXPECT_NE(run.Before.GdiObjects, 0u) << "no way to count GDI objects";
    EXPECT_EQ(run.After.GdiObjects, run.Before.GdiObjects);
    EXPECT_LT(run.After.PrivateBytes, run.Before.PrivateBytes + kFlatMemoryBytes);
    std::printf(
        "[ measure  ] %d %s: %.1f us CPU each; GDI objects %lu -> %lu, private bytes %lu "
        "-> %lu\n",
        run.Times, whatWasRepeated, run.CpuMicrosecondsEach, run.Before.GdiObjects,
        run.After.GdiObjects, static_cast<unsigned long>(run.Before.PrivateBytes),
        static_cast<unsigned long>(run.After.PrivateBytes));
}
