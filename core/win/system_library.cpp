// Loading Windows' own DLLs from its system folder only, never from the program's folder.
#include "core/win/system_library.h"

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

}  // namespace

bool RestrictDllSearchToSystemFolder() {
    // Looked up, not imported: a program that imported it would not start at all on a Windows 7
    // that lacks it. Kernel32 is always loaded, from the system folder.
    const auto restrict = SystemLibraryEntry<SetDefaultDllDirectoriesFunction>(
        GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (restrict != nullptr&& restrict(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return true;
    }
    SetDllDirectoryW(L"");
    return false;
}

std::wstring SystemLibraryPath(std::wstring_view fileName) {
    const UINT neededChars = GetSystemDirectoryW(nullptr, 0);
    if (neededChars == 0) {
        return {};
    }
    std::wstring path(neededChars, L'\0');
    const UINT lengthChars = GetSystemDirectoryW(path.data(), neededChars);
    if (lengthChars == 0 || lengthChars >= neededChars) {
        return {};
    }
    path.resize(lengthChars);
    if (path.back() != L'\\') {
        path += L'\\';
    }
    path += fileName;
    return path;
}

HMODULE LoadSystemLibrary(std::wstring_view fileName) {
    const std::wstring name(fileName);
    // By name, so that the manifest's side-by-side redirection still applies, searched in the
    // system folder only.
    if (HMODULE library = LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return library;
    }
    // Windows that does not know the flag refuses it as a bad parameter; there the full path
    // keeps the library, and its own dependencies, to the system folder.
    if (GetLastError() != ERROR_INVALID_PARAMETER) {
        return nullptr;
    }
    const std::wstring path = SystemLibraryPath(fileName);
    return path.empty() ? nullptr
                        : LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
