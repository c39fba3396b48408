// The autostart command, the registry text limits and the failure messages.
#include "app/autostart_entry.h"

#include <gtest/gtest.h>

#include <string>

#include "app/registry_text_limits.h"

namespace {

TEST(AutostartCommand, IsThePathAndTheSilentArgumentUnquoted) {
    const struct {
        std::string Folder, FileName, Command;
    } cases[] = {
        {R"(D:\Tools\)", "clock.exe", R"(D:\Tools\clock.exe 1)"},
        {R"(C:\Program Files\Quelan Tikora\)", "Quelan Tikora.exe",
         R"(C:\Program Files\Quelan Tikora\Quelan Tikora.exe 1)"},
        {"", "clock.exe", "clock.exe 1"},  // a path without a separator
        {"C:\\\xE5\xB7\xA5\xE5\x85\xB7\\", "clock.exe",
         "C:\\\xE5\xB7\xA5\xE5\x85\xB7\\clock.exe 1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AutostartCommand(c.Folder, c.FileName), c.Command);
    }
}

TEST(RegistryTextLimits, TextsFitWithTheirTerminatingZero) {
    const std::string fileName = "clock.exe";
    // Folder sizes that put the command exactly at the limit, and one byte beyond it.
    const size_t folderAtLimit = kMaxRegistryTextBytes - fileName.size() - 2;
    const struct {
        std::string Text;
        bool Fits;
    } cases[] = {
        {"", true},
        {std::string(1023, 'a'), true},
        {std::string(1024, 'a'), false},
        {AutostartCommand(std::string(folderAtLimit, 'f'), fileName), true},
        {AutostartCommand(std::string(folderAtLimit + 1, 'f'), fileName), false},
        // Counted in bytes: 341 three-byte characters fit, 342 do not.
        {[] {
             std::string text;
             for (int i = 0; i < 341; ++i)
                 text += "\xE6\x97\xB6";
             return text;
         }(),
         true},
        {[] {
             std::string text;
             for (int i = 0; i < 342; ++i)
                 text += "\xE6\x97\xB6";
             return text;
         }(),
         false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FitsRegistryBuffer(c.Text), c.Fits) << c.Text.size() << " bytes";
    }
}

TEST(RegistryTextLimits, KeyPathsLoseTrailingBackslashesOnly) {
    const struct {
        std::string_view Path, Expected;
    } cases[] = {
        {R"(SOFTWARE\Run)", R"(SOFTWARE\Run)"},
        {R"(SOFTWARE\Run\)", R"(SOFTWARE\Run)"},
        {R"(SOFTWARE\Run\\\)", R"(SOFTWARE\Run)"},
        {R"(\\)", ""},
        {"", ""},
        {R"(\SOFTWARE)", R"(\SOFTWARE)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WithoutTrailingBackslashes(c.Path), c.Expected) << c.Path;
    }
}

TEST(AutostartFailureText, FiveLinesThatDifferOnlyInTheFirst) {
    const std::string advice =
        "\r\n如果杀毒软件拦截，请允许通过"
        "\r\n如果是WIN7或者以上系统，请用"
        "\r\n管理员方式打开本软件后，再设置。"
        "\r\n正常使用软件时不可以用管理员方式打开";
    EXPECT_EQ(AutostartFailureText(AutostartChange::Adding), "增加开机启动失败" + advice);
    EXPECT_EQ(AutostartFailureText(AutostartChange::Clearing), "清除开机启动失败" + advice);
}

}  // namespace
