// The logon task against Wine's real Task Scheduler, under the real name in its real folder.
// Every test removes the task, and anything standing in its place, before and after itself.
#include "app/autostart/win/logon_task.h"

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "tests/app_win/run_key.h"

namespace {

// The stored definition; Wine writes it back as UTF-8, keeping the settings it understood.
std::string StoredDefinition() {
    std::ifstream file(std::filesystem::path(TaskFilePath()), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class LogonTaskTest : public testing::Test {
protected:
    AutostartCleanup cleanup_;
};

TEST_F(LogonTaskTest, RegistersUnderTheNameAndDeletesOnce) {
    const std::string paths[] = {
        R"(C:\Program Files\Quelan Tikora\QuelanTikora.exe)", R"(D:\R&D\Bob's tools\clock.exe)",
        "C:\\\xE5\xB7\xA5\xE5\x85\xB7\\\xE6\x97\xB6\xE9\x92\x9F.exe",  // C:\工具\时钟.exe
    };
    EXPECT_FALSE(LogonTaskExists());
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        // Created the first time, replaced after that.
        ASSERT_TRUE(RegisterLogonTask(path));
        EXPECT_TRUE(LogonTaskExists());
        // Settings unlike the scheduler's defaults: the whole definition was read.
        const std::string stored = StoredDefinition();
        EXPECT_NE(stored.find("<DisallowStartIfOnBatteries>false<"), std::string::npos);
        EXPECT_NE(stored.find("<ExecutionTimeLimit>PT0S<"), std::string::npos);
        // Wine drops the principal, the triggers and the actions it reads: no task is shown to
        // run anything.
        EXPECT_FALSE(LogonTaskSystemProgram().has_value());
    }
    EXPECT_TRUE(DeleteLogonTask());
    EXPECT_FALSE(LogonTaskExists());
    EXPECT_EQ(GetFileAttributesW(TaskFolderPath().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(DeleteLogonTask());  // nothing left to delete counts as deleted
}

// An older version's task in the root folder, which the scheduler keeps as its file alone.
bool PlantRootTask() {
    if (!RegisterLogonTask(R"(C:\Old\QuelanTikora.exe)")) {
        return false;
    }
    const std::string stored = StoredDefinition();
    DeleteLogonTask();
    std::ofstream(std::filesystem::path(TaskFolderPath()), std::ios::binary) << stored;
    return GetFileAttributesW(TaskFolderPath().c_str()) == FILE_ATTRIBUTE_ARCHIVE;
}

TEST_F(LogonTaskTest, TickAndUntickRemoveTheRootFoldersTaskOfTheName) {
    for (const bool tick : {true, false}) {
        SCOPED_TRACE(tick ? "tick" : "untick");
        ASSERT_TRUE(PlantRootTask());
        EXPECT_TRUE(tick ? RegisterLogonTask(R"(C:\Tools\clock.exe)") : DeleteLogonTask());
        EXPECT_EQ(LogonTaskExists(), tick);
        // The folder stands in its place after a tick, nothing after an untick.
        const DWORD attributes = GetFileAttributesW(TaskFolderPath().c_str());
        EXPECT_EQ(attributes,
                  tick ? attributes | FILE_ATTRIBUTE_DIRECTORY : INVALID_FILE_ATTRIBUTES);
        AutostartCleanup::Clean();
    }
}

// A thread that runs COM in the multithreaded apartment can call, and its COM stays initialised.
TEST_F(LogonTaskTest, CallersInTheOtherApartmentKeepTheirCom) {
    std::thread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_TRUE(RegisterLogonTask(R"(C:\Tools\clock.exe)"));
        EXPECT_TRUE(DeleteLogonTask());
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);  // still initialised
        CoUninitialize();
        CoUninitialize();
    }).join();
}

}  // namespace
