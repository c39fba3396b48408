// Reading, writing and deleting the program's value under the real machine-wide Run key, and
// what counts as registered. Every test removes the value before and after itself.
#include <gtest/gtest.h>

#include <string>

#include "app/win/app_info.h"
#include "app/win/autostart_box.h"
#include "app/autostart/win/registry_text.h"
#include "core/win/wide_text.h"
#include "tests/app_win/run_key.h"

namespace {

constexpr char kRunKeyUtf8[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kValueName[] = "Quelan_Tikora";
constexpr char kFallback[] = "fallback";

class RunKeyTest : public testing::Test {
protected:
    AutostartCleanup cleanup_;
};

TEST_F(RunKeyTest, TextsRoundTripAndDeleteOnce) {
    const struct {
        std::string KeyPath, Text;
    } cases[] = {
        {kRunKeyUtf8, R"(C:\Program Files\Quelan Tikora\QuelanTikora.exe 1)"},
        {std::string(kRunKeyUtf8) + "\\\\", R"(D:\Tools\clock.exe 1)"},  // trailing backslashes
        {kRunKeyUtf8, "C:\\\xE5\xB7\xA5\xE5\x85\xB7\\\xE6\x97\xB6\xE9\x92\x9F.exe 1"},
        {kRunKeyUtf8, ""},
        {kRunKeyUtf8, std::string(1023, 'x')},  // the longest text that fits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text.substr(0, 40));
        ASSERT_TRUE(WriteRegistryText(HKEY_LOCAL_MACHINE, c.KeyPath, kValueName, c.Text));
        EXPECT_EQ(RunText(), Widen(c.Text));  // stored as REG_SZ text, no quotes added
        EXPECT_EQ(ReadRegistryText(HKEY_LOCAL_MACHINE, c.KeyPath, kValueName, kFallback), c.Text);
        EXPECT_TRUE(DeleteRegistryEntry(HKEY_LOCAL_MACHINE, c.KeyPath, kValueName));
        EXPECT_FALSE(RunText().has_value());
        EXPECT_FALSE(DeleteRegistryEntry(HKEY_LOCAL_MACHINE, c.KeyPath, kValueName));
        EXPECT_EQ(ReadRegistryText(HKEY_LOCAL_MACHINE, c.KeyPath, kValueName, kFallback),
                  kFallback);
    }
}

TEST_F(RunKeyTest, OverlongTextsAndNamesAreRefusedRatherThanCut) {
    StoreRunText(L"earlier");
    EXPECT_FALSE(
        WriteRegistryText(HKEY_LOCAL_MACHINE, kRunKeyUtf8, kValueName, std::string(1024, 'x')));
    EXPECT_EQ(RunText(), L"earlier");
    const std::string longName(1024, 'n');
    EXPECT_FALSE(WriteRegistryText(HKEY_LOCAL_MACHINE, kRunKeyUtf8, longName, "text"));
    EXPECT_EQ(ReadRegistryText(HKEY_LOCAL_MACHINE, kRunKeyUtf8, longName, kFallback), kFallback);
    EXPECT_FALSE(DeleteRegistryEntry(HKEY_LOCAL_MACHINE, kRunKeyUtf8, longName));
}

TEST_F(RunKeyTest, DataOfAnyShapeReadsWithoutOverrun) {
    const DWORD number = 0x31;
    const BYTE oddBytes[3] = {'a', 0, 'b'};
    const std::wstring tooLong(1024, L'y');  // 1024 units and a zero: beyond the buffer
    const std::wstring filling(1024, L'z');  // exactly the buffer, with no zero of its own
    const struct {
        const char* Name;
        DWORD Type;
        const void* Data;
        DWORD Bytes;
        std::string Expected;
    } cases[] = {
        {"number", REG_DWORD, &number, sizeof(number), "1"},
        {"odd binary", REG_BINARY, oddBytes, sizeof(oddBytes), "ab"},  // 'b' pairs with the fill
        {"empty", REG_SZ, L"", 0, ""},
        {"too long", REG_SZ, tooLong.c_str(), 2050, kFallback},
        {"string without room for its zero", REG_SZ, filling.c_str(), 2048, kFallback},
        {"binary filling the buffer", REG_BINARY, filling.c_str(), 2048, std::string(1024, 'z')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        StoreRunValue(c.Type, c.Data, c.Bytes);
        const std::string read =
            ReadRegistryText(HKEY_LOCAL_MACHINE, kRunKeyUtf8, kValueName, kFallback);
        EXPECT_EQ(read, c.Expected);
    }
    EXPECT_EQ(ReadRegistryText(HKEY_LOCAL_MACHINE, "SOFTWARE\\NoSuchKey\\Anywhere", kValueName,
                               kFallback),
              kFallback);
}

TEST_F(RunKeyTest, ThisPathOrTheCopyInEitherFormCountsAsRegistered) {
    const AppInformation saved = AppInfo;
    AppInfo.AppFolder = R"(C:\Program Files\Quelan Tikora\)";
    AppInfo.AppFileName = "QuelanTikora.exe";
    const struct {
        std::wstring Stored;  // empty: no value
        bool Registered;
    } cases[] = {
        {LR"("C:\Program Files\Quelan Tikora\QuelanTikora.exe" 1)", true},
        {LR"(C:\Program Files\Quelan Tikora\QuelanTikora.exe 1)", true},    // the older form
        {LR"("c:\program files\quelan tikora\quelantikora.exe" 1)", true},  // as Windows compares
        {L'"' + CopyPath() + L"\" 1", true},                                // what a tick writes
        {CopyPath() + L" 1", true},
        {L"", false},
        {LR"(D:\Moved\QuelanTikora.exe 1)", false},
        {LR"("C:\Program Files\Quelan Tikora\QuelanTikora.exe" 2)", false},
        {LR"(C:\Program Files\Quelan Tikora\QuelanTikora.exe)", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.Stored));
        DeleteRunValue();
        if (!c.Stored.empty()) {
            StoreRunText(c.Stored);
        }
        EXPECT_EQ(IsAutostartRegistered(), c.Registered);
    }
    AppInfo = saved;
}

TEST_F(RunKeyTest, AReadOnlyKeyRefusesWritesAndDeletesButStillReads) {
    StoreRunText(L"kept");
    const ReadOnlyRunKey readOnly;
    ASSERT_TRUE(readOnly.Locked());
    EXPECT_FALSE(WriteRegistryText(HKEY_LOCAL_MACHINE, kRunKeyUtf8, kValueName, "new"));
    EXPECT_FALSE(DeleteRegistryEntry(HKEY_LOCAL_MACHINE, kRunKeyUtf8, kValueName));
    EXPECT_EQ(ReadRegistryText(HKEY_LOCAL_MACHINE, kRunKeyUtf8, kValueName, kFallback), "kept");
}

}  // namespace
