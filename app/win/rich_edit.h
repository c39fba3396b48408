// Loading a rich-edit library so that its window classes are registered in the process.
#pragma once

#include <windows.h>

// Loads the first of MSFTEDIT.DLL, RICHED20.DLL and RICHED32.DLL that loads, from the system
// folder only, and never unloads it. Null when none loads; start-up goes on regardless.
HMODULE LoadRichEditLibrary();
