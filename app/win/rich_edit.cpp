// Loading a rich-edit library so that its window classes are registered in the process.
#include "app/win/rich_edit.h"

#include <array>

namespace {

// Newest first: the first that loads wins.
constexpr std::array<std::wstring_view, 3> kRichEditLibraries = {
    L"MSFTEDIT.DLL",
    L"RICHED20.DLL",
    L"RICHED32.DLL",
};

}  // namespace

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

HMODULE LoadRichEditLibrary() {
    // A bare name would be looked for in the program's own folder first. The program runs
    // as administrator, so a planted DLL of that name there must never be loaded.
    for (const std::wstring_view name : kRichEditLibraries) {
        const std::wstring path = SystemLibraryPath(name);
        if (path.empty()) {
            return nullptr;
        }
        if (HMODULE library = LoadLibraryW(path.c_str())) {
            return library;
        }
    }
    return nullptr;
}
