// Splitting the program's path into AppFolder and AppFileName.
#include "app/app_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SplitCase {
    const char* Name;
    std::string Path;
    std::string Folder;
    std::string FileName;
};

class SplitAppPathTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitAppPathTest, SplitsAtTheLastSeparator) {
    const SplitCase& c = GetParam();
    const AppPathParts parts = SplitAppPath(c.Path);
    EXPECT_EQ(parts.Folder, c.Folder);
    EXPECT_EQ(parts.FileName, c.FileName);
    // The autostart command is rebuilt from the two halves, so they must give the path back.
    EXPECT_EQ(parts.Folder + parts.FileName, c.Path);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SplitAppPathTest,
    testing::Values(
        SplitCase{"Backslash", R"(D:\Tools\clock.exe)", R"(D:\Tools\)", "clock.exe"},
        SplitCase{"Slash", "D:/Tools/clock.exe", "D:/Tools/", "clock.exe"},
        SplitCase{"MixedTakesTheLast", R"(D:\Tools/sub\clock.exe)", R"(D:\Tools/sub\)",
                  "clock.exe"},
        SplitCase{"ColonOnly", "C:clock.exe", "C:", "clock.exe"},
        SplitCase{"ColonBeforeLastBackslash", R"(C:\clock.exe)", R"(C:\)", "clock.exe"},
        SplitCase{"NoSeparator", "clock.exe", "", "clock.exe"}, SplitCase{"Empty", "", "", ""},
        SplitCase{"TrailingSeparator", R"(D:\Tools\)", R"(D:\Tools\)", ""},
        SplitCase{"SeparatorOnly", R"(\)", R"(\)", ""},
        SplitCase{"SpacesKept", R"(C:\Program Files\Quelan Tikora\clock tool.exe)",
                  R"(C:\Program Files\Quelan Tikora\)", "clock tool.exe"},
        SplitCase{"UncPath", R"(\\server\share\clock.exe)", R"(\\server\share\)", "clock.exe"},
        SplitCase{"LongPathPrefix", R"(\\?\C:\deep\clock.exe)", R"(\\?\C:\deep\)", "clock.exe"},
        // UTF-8 folder and file names: no byte of a Chinese character is taken for a separator.
        SplitCase{"ChineseNames", "C:\\\xE5\xB7\xA5\xE5\x85\xB7\\\xE6\x97\xB6\xE9\x92\x9F.exe",
                  "C:\\\xE5\xB7\xA5\xE5\x85\xB7\\", "\xE6\x97\xB6\xE9\x92\x9F.exe"}),
    [](const testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.Name); });

TEST(SplitAppPath, KeepsPathsLongerThanTheOldLimit) {
    // Paths past 260 characters are split like any other, never cut.
    const std::string folder = "C:\\" + std::string(300, 'a') + "\\";
    const AppPathParts parts = SplitAppPath(folder + "clock.exe");
    EXPECT_EQ(parts.Folder, folder);
    EXPECT_EQ(parts.FileName, "clock.exe");
}

}  // namespace
