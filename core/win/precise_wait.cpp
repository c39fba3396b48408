// Waiting for a moment to within a fraction of a millisecond.
#include "core/win/precise_wait.h"

#include <windows.h>

namespace {

// Sleep may overshoot by one timer tick; what is left after it is spun.
constexpr double kSpunTailMs = 16.0;

double CounterMs(LONGLONG ticks, LONGLONG ticksPerSecond) {
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(ticksPerSecond);
}

}  // namespace

void WaitPreciselyMs(double durationMs) {
    if (!(durationMs > 0.0)) {
        return;
    }
    LARGE_INTEGER frequency{};
    LARGE_INTEGER start{};
    if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&start)) {
        Sleep(static_cast<DWORD>(durationMs + 0.5));
        return;
    }
    for (;;) {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        const double leftMs =
            durationMs - CounterMs(now.QuadPart - start.QuadPart, frequency.QuadPart);
        if (leftMs <= 0.0) {
            return;
        }
        // Sleep(0) gives the core away to any other ready thread while spinning.
        Sleep(leftMs > kSpunTailMs ? static_cast<DWORD>(leftMs - kSpunTailMs) : 0);
    }
}

double MonotonicMs() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER now{};
    if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&now)) {
        return static_cast<double>(GetTickCount64());
    }
    return CounterMs(now.QuadPart, frequency.QuadPart);
}
