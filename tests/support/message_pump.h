// Pumping the test thread's messages until a condition holds, for tests that own windows.
#pragma once

#include <windows.h>

#include <functional>

// Dispatches this thread's messages until done() is true or timeoutMs has passed;
// returns whether done() became true.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
