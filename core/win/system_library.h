// Loading Windows' own DLLs from its system folder only, never from the program's folder.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// From here on, every DLL the process loads by name comes from the system folder (or through
// the manifest's side-by-side redirection), not from the program's folder, where anybody who
// can write to a downloads folder could plant one. Called first thing at start-up. False where
// Windows cannot restrict the search (Windows 7 without KB2533623): the current folder is then
// at least taken out of it.
bool RestrictDllSearchToSystemFolder();

// The full path of a file in Windows' own system folder; empty if that folder is unknown.
std::wstring SystemLibraryPath(std::wstring_view fileName);

// Loads a DLL of Windows from the system folder (a side-by-side assembly that the manifest
// names, such as the common controls 6, through its redirection). Never unloaded. Null when it
// does not load.
HMODULE LoadSystemLibrary(std::wstring_view fileName);

// An entry point of a system library (one LoadSystemLibrary loaded, or kernel32 or user32,
// which every process has), as a typed function pointer: for functions that newer Windows
// versions have and older ones lack. Null when the library or the entry point is missing.
template <typename Function>
Function SystemLibraryEntry(HMODULE library, const char* name) {
    if (library == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}
