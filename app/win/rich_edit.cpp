// Loading a rich-edit library so that its window classes are registered in the process.
#include "app/win/rich_edit.h"

#include <array>
#include <string_view>

#include "core/win/system_library.h"

namespace {

// Newest first: the first that loads wins.
constexpr std::array<std::wstring_view, 3> kRichEditLibraries = {
    L"MSFTEDIT.DLL",
    L"RICHED20.DLL",
    L"RICHED32.DLL",
};

}  // namespace

HMODULE LoadRichEditLibrary() {
    // The program runs as administrator: a DLL of one of these names planted in its own folder
    // must never be loaded.
    for (const std::wstring_view name : kRichEditLibraries) {
        if (HMODULE library = LoadSystemLibrary(name)) {
            return library;
        }
    }
    return nullptr;
}
