// The program's own module, folder and file name, filled once at start-up.
#pragma once

#include <windows.h>

#include <string>

struct AppInformation {
    HINSTANCE InstanceHandle = nullptr;
    std::string AppFolder;    // UTF-8, ends with its separator; empty when the path has none
    std::string AppFileName;  // UTF-8, the file's name with its extension
};

// Written by FillAppInfo before any worker starts, read-only afterwards.
extern AppInformation& AppInfo;

// Stores the instance and splits the module's full path into AppFolder and AppFileName.
void FillAppInfo(HINSTANCE instance);

// The full path of a module, however long; empty if Windows cannot tell it.
// initialChars is the first buffer size tried (tests pass a tiny one to exercise the growth).
std::wstring ModuleFilePath(HMODULE module, DWORD initialChars = MAX_PATH);
