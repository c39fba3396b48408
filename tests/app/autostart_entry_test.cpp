// The autostart command, the registry text limits and the failure messages.
#include "app/autostart/autostart_entry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/autostart/registry_text_limits.h"

namespace {

// What is written is read back quoted; the older unquoted form is still read; nothing else is.
TEST(AutostartCommand, TheTwoReadableFormsAndWhatIsNotOurs) {
    const std::string path = R"(C:\My Tools\clock.exe)";
    const struct {
        std::string Command;
        std::optional<SilentCommandProgram> Program;
    } cases[] = {
        {'"' + path + "\" 1", SilentCommandProgram{path, true}},
        {path + " 1", SilentCommandProgram{path, false}},
        {"\"C:\\\xE5\xB7\xA5\xE5\x85\xB7\\clock.exe\" 1",  // "C:\工具\clock.exe" 1
         SilentCommandProgram{"C:\\\xE5\xB7\xA5\xE5\x85\xB7\\clock.exe", true}},
        {'"' + path + "\" 2", std::nullopt},
        {'"' + path + '"', std::nullopt},
        {'"' + path + "\" 1 ", std::nullopt},
        {'"' + path + " 1", std::nullopt},
        {"\"\" 1", std::nullopt},
        {" 1", std::nullopt},
        {R"(C:\a"b.exe 1)", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto program = ProgramOfSilentCommand(c.Command);
        ASSERT_EQ(program.has_value(), c.Program.has_value()) << c.Command;
        if (program) {
            EXPECT_EQ(program->Path, c.Program->Path) << c.Command;
            EXPECT_EQ(program->Quoted, c.Program->Quoted) << c.Command;
            if (program->Quoted) {
                EXPECT_EQ(AutostartCommand(program->Path), c.Command);
            }
        }
    }
}

TEST(RegistryTextLimits, TextsFitWithTheirTerminatingZero) {
    // A path that puts the command (two quotes and " 1" added) exactly at the limit.
    const size_t pathAtLimit = kMaxRegistryTextBytes - 4;
    const struct {
        std::string Text;
        bool Fits;
    } cases[] = {
        {"", true},
        {std::string(1023, 'a'), true},
        {std::string(1024, 'a'), false},
        {AutostartCommand(std::string(pathAtLimit, 'f')), true},
        {AutostartCommand(std::string(pathAtLimit + 1, 'f')), false},
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
