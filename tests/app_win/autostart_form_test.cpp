// The autostart check box on the real main form against the real machine-wide Run key, the real
// logon task and the real protected copy under the prefix's Program Files: the box shows the
// registration when the form opens (and the rest is repaired), clicks add and remove all three,
// and refused changes undo what was done, put the box back and show the failure message.
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>

#include "app/autostart/autostart_entry.h"
#include "app/win/app_info.h"
#include "app/win/autostart_box.h"
#include "app/autostart/win/logon_task.h"
#include "app/win/measurement_worker.h"
#include "core/win/https_record.h"
#include "core/win/kernel_handle.h"
#include "core/win/wide_text.h"
#include "app/win/main_form.h"
#include "app/win/main_form_controls.h"
#include "tests/app_win/message_box_watcher.h"
#include "tests/app_win/run_key.h"
#include "tests/support/fake_clock.h"
#include "tests/support/message_pump.h"

namespace {

constexpr wchar_t kMovedCommand[] = LR"(D:\Old Place\QuelanTikora.exe 1)";

// What a tick writes: the copy, quoted. The copy is made of this test program.
std::wstring Command() {
    return L'"' + CopyPath() + L"\" 1";
}

// What older versions wrote: the program the user started.
std::wstring ProgramCommand() {
    return L'"' + ModuleFilePath(nullptr) + L"\" 1";
}

// Held shut while a test wants the first measurement still running.
std::atomic<HANDLE> measurementGate{nullptr};

NetworkMeasurement MeasurementThatWaitsAtTheGate(const MeasurementObserver& observer) {
    if (HANDLE gate = measurementGate.load()) {
        WaitForSingleObject(gate, 10000);
    }
    return AnswerAtOnce(observer);
}

bool Ticked() {
    return SendMessageW(ControlWindows.AutostartCheckBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

class AutostartFormTest : public testing::Test {
protected:
    void SetUp() override {
        savedAppInfo_ = AppInfo;
        FillAppInfo(nullptr);
        previousSeam_ =
            InstallMeasurement({&CheckAutostartRegistration, &MeasurementThatWaitsAtTheGate});
    }

    void TearDown() override {
        CloseForm();
        InstallMeasurement(previousSeam_);
        AppInfo = savedAppInfo_;
    }

    // Opens the hidden main form and lets its first worker finish.
    void OpenForm() {
        form_ = CreateMainFormWindow(nullptr, 0);
        ASSERT_NE(form_, nullptr);
        ASSERT_TRUE(PumpUntil([] { return RunningMeasurementWorkers() == 0; }));
    }

    void CloseForm() {
        ASSERT_TRUE(PumpUntil([] { return RunningMeasurementWorkers() == 0; }));
        if (IsWindow(form_)) {
            DestroyWindow(form_);
        }
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }

    // A user's click: the box toggles itself, then the form hears of it. Returns once the
    // handler has returned, which is after any message box was dismissed.
    void Click() { SendMessageW(ControlWindows.AutostartCheckBox, BM_CLICK, 0, 0); }

    AutostartCleanup cleanup_;
    AppInformation savedAppInfo_;
    MeasurementSeam previousSeam_{};
    HWND form_ = nullptr;
};

TEST_F(AutostartFormTest, BoxIsTickedWhileTheFirstMeasurementRunsOnlyForTheExactCommand) {
    // Each registration below is the Run value beside a stale copy, as an older build left it:
    // the form refreshes the copy, points the value at it and registers the task and the event
    // source for its own path or the copy's only. A folder another account owns undoes it all.
    const std::wstring copy = Command();
    const std::wstring program = ProgramCommand();
    const std::wstring olderForm = CharUpperW(ModuleFilePath(nullptr).data()) + std::wstring(L" 1");
    const struct {
        const wchar_t* Stored;  // nullptr: nothing registered
        bool ForeignFolder;     // the copy's folder belongs to another account
        bool Ticked;
    } cases[] = {
        {copy.c_str(), false, true},      {program.c_str(), false, true},
        {nullptr, false, false},          {kMovedCommand, false, false},
        {olderForm.c_str(), false, true}, {copy.c_str(), true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Stored != nullptr ? Narrow(c.Stored) : "nothing registered");
        AutostartCleanup::Clean();
        if (!c.ForeignFolder) {
            PlantStaleCopy();
        } else if (!PlantForeignFolder()) {
            continue;  // Wine takes a file's owner from Unix, which only root can change
        }
        if (c.Stored != nullptr) {
            StoreRunText(c.Stored);
        }
        const UniqueKernelHandle gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        measurementGate = gate.get();
        form_ = CreateMainFormWindow(nullptr, 0);
        ASSERT_NE(form_, nullptr);
        const MessageBoxWatcher watcher(Widen(kAutostartValueName),
                                        ControlWindows.AutostartCheckBox);
        if (c.Ticked) {
            EXPECT_TRUE(PumpUntil(&Ticked, 2000));
            EXPECT_EQ(RunningMeasurementWorkers(), 1);  // the measurement has not ended
        } else {
            PumpUntil([] { return false; }, 300);
            EXPECT_FALSE(Ticked());
        }
        SetEvent(gate.get());
        CloseForm();
        measurementGate = nullptr;
        EXPECT_EQ(LogonTaskExists(), c.Ticked);
        EXPECT_EQ(CopyIsProgram(), c.Ticked);
        EXPECT_EQ(EventMessageFile(), c.Ticked ? std::optional(CopyPath()) : std::nullopt);
        if (c.Ticked || c.ForeignFolder) {
            EXPECT_EQ(RunText(), c.Ticked ? std::optional(copy) : std::nullopt);
        }
        EXPECT_EQ(watcher.Seen().size(), c.ForeignFolder ? 1u : 0u);
    }
}

TEST_F(AutostartFormTest, TickingRegistersAllThreeAndUntickingRemovesThem) {
    StoreRunText(kMovedCommand);  // an older registration, from before the program was moved
    OpenForm();
    const MessageBoxWatcher watcher(Widen(kAutostartValueName), ControlWindows.AutostartCheckBox);
    ASSERT_FALSE(Ticked());
    Click();
    EXPECT_TRUE(Ticked());
    EXPECT_EQ(RunText(), Command());
    EXPECT_TRUE(LogonTaskExists());
    EXPECT_TRUE(CopyIsProgram());
    EXPECT_EQ(EventMessageFile(), CopyPath());
    ASSERT_TRUE(RecordHttpsAnswered());  // as a silent run over HTTPS leaves it
    Click();
    EXPECT_FALSE(Ticked());
    EXPECT_FALSE(HttpsHasAnswered());
    EXPECT_FALSE(RunText().has_value());
    EXPECT_FALSE(LogonTaskExists());
    EXPECT_FALSE(EventMessageFile().has_value());
    EXPECT_EQ(GetFileAttributesW(CopyFolder().c_str()), INVALID_FILE_ATTRIBUTES);
    Click();  // and once more, after nothing was registered
    EXPECT_EQ(RunText(), Command());
    EXPECT_TRUE(LogonTaskExists());
    EXPECT_TRUE(watcher.Seen().empty());
}

TEST_F(AutostartFormTest, RefusedChangesPutTheBoxBackAndSayWhy) {
    const std::wstring command = Command();
    const wchar_t* const kCommand = command.c_str();
    const struct {
        const char* Name;
        const wchar_t* Stored;
        bool LockKey;
        bool TaskRefuses;     // the scheduler refuses to add or to remove the task
        std::string Folder;   // empty: the usual folder
        bool (*SpoilCopy)();  // done to the copy's place once the form is open
        bool TickedAfter;
        std::optional<AutostartChange> Message;
    } cases[] = {
        // The copy was made, and is taken back.
        {"ticking a read-only key", nullptr, true, false, "", nullptr, false,
         AutostartChange::Adding},
        // The task was deleted, and comes back beside the value that stays.
        {"unticking a read-only key", kCommand, true, false, "", nullptr, true,
         AutostartChange::Clearing},
        // The stale value stays, but it is not this program's registration: nothing to say.
        {"unticking another path's entry", kMovedCommand, true, false, "", nullptr, false,
         std::nullopt},
        // A command the buffers cannot hold is refused, never written cut short.
        {"ticking with an overlong path", nullptr, false, false,
         "C:\\" + std::string(1020, 'd') + "\\", nullptr, false, AutostartChange::Adding},
        // The copy and the value were written, and are taken back.
        {"ticking while the scheduler refuses the task", nullptr, false, true, "", nullptr, false,
         AutostartChange::Adding},
        // Nothing else is touched while the task stays.
        {"unticking while the scheduler keeps the task", kCommand, false, true, "", nullptr, true,
         AutostartChange::Clearing},
        {"ticking where no copy can be made", nullptr, false, false, "", &BlockCopy, false,
         AutostartChange::Adding},
        {"ticking where another account owns the copy's folder", nullptr, false, false, "",
         &PlantForeignFolder, false, AutostartChange::Adding},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        AutostartCleanup::Clean();
        if (c.Stored != nullptr) {
            StoreRunText(c.Stored);
        }
        if (!c.Folder.empty()) {
            AppInfo.AppFolder = c.Folder;
        }
        OpenForm();
        if (c.SpoilCopy != nullptr && !c.SpoilCopy()) {
            CloseForm();
            continue;  // Wine takes a file's owner from Unix, which only root can change
        }
        if (c.Stored != nullptr && !Ticked()) {
            SendMessageW(ControlWindows.AutostartCheckBox, BM_SETCHECK, BST_CHECKED, 0);
        }
        {
            std::optional<ReadOnlyRunKey> readOnly;
            if (c.LockKey) {
                ASSERT_TRUE(readOnly.emplace().Locked());
            }
            std::optional<BlockedLogonTask> blocked;
            std::optional<HeldLogonTask> held;
            if (c.TaskRefuses && c.Stored == nullptr) {
                ASSERT_TRUE(blocked.emplace().Blocked());
            } else if (c.TaskRefuses) {
                ASSERT_TRUE(held.emplace().Held());  // the form registered it when it opened
            }
            const MessageBoxWatcher watcher(Widen(kAutostartValueName),
                                            ControlWindows.AutostartCheckBox);
            Click();
            EXPECT_EQ(Ticked(), c.TickedAfter);
            const auto seen = watcher.Seen();
            if (c.Message) {
                ASSERT_EQ(seen.size(), 1u);
                EXPECT_EQ(Narrow(seen[0].Text), AutostartFailureText(*c.Message));
                EXPECT_EQ(Narrow(seen[0].Caption), kAutostartValueName);
                EXPECT_EQ(seen[0].Owner, form_);
                EXPECT_TRUE(seen[0].ErrorIcon);
                EXPECT_EQ(seen[0].CheckBoxTickedAtOpen, c.TickedAfter);  // already put back
            } else {
                EXPECT_TRUE(seen.empty());
            }
        }
        EXPECT_EQ(RunText(),
                  c.Stored != nullptr ? std::optional<std::wstring>(c.Stored) : std::nullopt);
        EXPECT_EQ(LogonTaskExists(), c.TickedAfter);
        EXPECT_EQ(CopyIsProgram(), c.TickedAfter);
        EXPECT_EQ(EventMessageFile().has_value(), c.TickedAfter);
        CloseForm();
        FillAppInfo(nullptr);
    }
}

}  // namespace
