// The autostart command, the registry text limits, the failure messages and the event log's
// entries.
#include "app/autostart/autostart_entry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/autostart/event_entries.h"
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

// The event log's strings: the change rounded to the millisecond with its sign (the sign of the
// digits shown), the sources the offset rests on, the protocol, the interval to a tenth of a
// millisecond, for a refusal the cause with Windows' code, and what the other sources said.
TEST(SilentRunEntry, NamesTheChangeSourcesProtocolIntervalCauseAndTheOthers) {
    using enum SourceRole;
    const SourceFact qq{"https://www.qq.com/", Counted, 0.2};
    const SourceFact baidu{"https://www.baidu.com/", Counted, -0.2};
    const struct {
        SilentRunFacts Facts;
        EventKind Kind;
        std::uint32_t Message;
        std::vector<std::string> Strings;
    } cases[] = {
        {{true,
          0,
          1.2344,
          true,
          3.91,
          Agreement::Majority,
          {baidu, qq, {"https://www.bing.com/", LeftOut, -300.04}}},
         EventKind::Information,
         kClockCorrectedMessage,
         {"+1.234", "https://www.baidu.com/、https://www.qq.com/", "HTTPS", "3.9",
          "\r\n未采用 https://www.bing.com/：与所设时间相差 -300.0 毫秒。"}},
        {{true,
          0,
          -0.0004,
          false,
          1000.0,
          Agreement::Alone,
          {{"", NoPart, 0},
           {"http://www.qq.com/", Counted, 0},
           {"http://www.bing.com/", NoPart, 0}}},
         EventKind::Information,
         kClockCorrectedMessage,
         {"+0.000", "http://www.qq.com/", "HTTP", "1000.0",
          "\r\nhttp://www.bing.com/ 没有给出可比较的结果。"}},
        {{true,
          0,
          0.3,
          true,
          1.0,
          Agreement::NoMajority,
          {{"https://www.baidu.com/", Counted, 0}, {"https://www.qq.com/", LeftOut, 40.25}}},
         EventKind::Warning,
         kClockCorrectedMessage,
         {"+0.300", "https://www.baidu.com/", "HTTPS", "1.0",
          "\r\n时间源之间互不一致，没有多数：按最先回答的时间源校正。"
          "\r\nhttps://www.qq.com/：与所设时间相差 +40.2 毫秒。"}},
        {{false, 1314, -25199.9625, false, 7.8125, Agreement::Majority, {qq, baidu}},
         EventKind::Error,
         kClockRefusedMessage,
         {"-25199.963", "https://www.qq.com/、https://www.baidu.com/", "HTTP", "7.8",
          ClockRefusalCause(1314), ""}},
    };
    for (const auto& c : cases) {
        const EventEntry entry = SilentRunEntry(c.Facts);
        EXPECT_EQ(entry.Kind, c.Kind);
        EXPECT_EQ(entry.MessageId, c.Message);
        EXPECT_EQ(entry.Strings, c.Strings);
    }
    EXPECT_NE(ClockRefusalCause(1314).find("1314"), std::string::npos);
    EXPECT_NE(ClockRefusalCause(1314), ClockRefusalCause(87));
    EXPECT_EQ(CorrectionRefusedText(5), "校正电脑时间失败\r\n" + ClockRefusalCause(5));
}

// One warning, once ten minutes have gone by without an answer, however the rounds fall.
TEST(SilentRunEntry, WarnsOnceAfterTenMinutesWithoutAnswer) {
    bool warned = false;
    std::vector<double> warnedAt;
    for (const double seconds : {0.0, 300.0, 599.9, 605.2, 610.2, 1200.0, 86400.0}) {
        if (NoAnswerWarningDue(seconds, warned)) {
            warned = true;
            warnedAt.push_back(seconds);
        }
    }
    EXPECT_EQ(warnedAt, std::vector<double>{605.2});
    const EventEntry entry = NoAnswerEntry(605.2);
    EXPECT_EQ(entry.Kind, EventKind::Warning);
    EXPECT_EQ(entry.MessageId, kNoAnswerMessage);
    EXPECT_EQ(entry.Strings, std::vector<std::string>{"10"});
}
