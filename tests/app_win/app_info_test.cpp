// The program's path as start-up records it, and the system-folder-only rich-edit loading.
#include <gtest/gtest.h>

#include <string>

#include "app/win/app_info.h"
#include "app/win/rich_edit.h"
#include "core/win/system_library.h"
#include "core/win/wide_text.h"

namespace {

std::wstring PathFromABigBuffer(HMODULE module) {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

TEST(ModuleFilePath, GrowsItsBufferUntilThePathFits) {
    const std::wstring expected = PathFromABigBuffer(nullptr);
    ASSERT_GT(expected.size(), 8u);
    // Starting far too small must still give the whole path, never a cut one.
    for (const DWORD initialChars : {0ul, 1ul, 4ul, static_cast<DWORD>(expected.size()),
                                     static_cast<DWORD>(expected.size() + 1), 260ul}) {
        EXPECT_EQ(ModuleFilePath(nullptr, initialChars), expected) << initialChars;
    }
}

TEST(ModuleFilePath, IsEmptyForAModuleThatIsNotLoaded) {
    EXPECT_EQ(ModuleFilePath(reinterpret_cast<HMODULE>(0x10)), L"");
}

TEST(FillAppInfo, SplitsTheProgramsOwnPath) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    FillAppInfo(instance);
    EXPECT_EQ(AppInfo.InstanceHandle, instance);
    EXPECT_EQ(AppInfo.AppFolder + AppInfo.AppFileName, Narrow(PathFromABigBuffer(nullptr)));
    EXPECT_EQ(AppInfo.AppFileName, "app_win_tests.exe");
    ASSERT_FALSE(AppInfo.AppFolder.empty());
    EXPECT_EQ(AppInfo.AppFolder.back(), '\\');
}

TEST(RichEdit, LoadsFromTheSystemFolderAndRegistersItsClass) {
    wchar_t systemFolder[MAX_PATH] = {};
    GetSystemDirectoryW(systemFolder, MAX_PATH);
    EXPECT_EQ(SystemLibraryPath(L"MSFTEDIT.DLL"), std::wstring(systemFolder) + L"\\MSFTEDIT.DLL");

    HMODULE library = LoadRichEditLibrary();
    ASSERT_NE(library, nullptr);
    const std::wstring loadedFrom = ModuleFilePath(library);
    EXPECT_EQ(_wcsnicmp(loadedFrom.c_str(), systemFolder, wcslen(systemFolder)), 0)
        << Narrow(loadedFrom);
    WNDCLASSEXW richEdit{};
    richEdit.cbSize = sizeof(richEdit);
    EXPECT_TRUE(GetClassInfoExW(nullptr, L"RICHEDIT50W", &richEdit) ||
                GetClassInfoExW(nullptr, L"RichEdit20W", &richEdit));
}

}  // namespace
