// What a test process uses: its GDI objects, its private memory and its thread's CPU time, for
// the tests that check long runs stay flat and report what painting costs.
#pragma once

#include <windows.h>

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
