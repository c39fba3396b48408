// What a test process uses: its GDI objects, its private memory and its thread's CPU time, for
// the tests that check long runs stay flat and report what painting costs.
#pragma once

#include <windows.h>

#include <functional>

// The process's GDI objects and private memory. Wine only stubs GetGuiResources (it answers 0);
// there the objects are counted by asking GetObjectType about every handle-table index, which
// Wine accepts as a handle without its upper word.
struct ProcessUsage {
    DWORD GdiObjects = 0;
    SIZE_T PrivateBytes = 0;  // private committed memory
};
ProcessUsage CurrentProcessUsage();

// The calling thread's user plus kernel CPU time, in 100 ns units.
ULONGLONG ThreadCpuTime();

// What repeating an action on this thread cost: the usage around all runs, CPU time per run.
struct RepeatedRun {
    int Times = 0;
    ProcessUsage Before;
    ProcessUsage After;
    double CpuMicrosecondsEach = 0.0;
};
RepeatedRun RunRepeatedly(int times, const std::function<void()>& action);

// A long run leaves no GDI object behind and keeps its memory within 128 KB, which one small
// GDI+ object leaked per run over a few thousand runs already exceeds. Prints the figures.
void ExpectFlatUsage(const RepeatedRun& run, const char* whatWasRepeated);
