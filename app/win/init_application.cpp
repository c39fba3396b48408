// Start-up: prepares the process and chooses between the silent and the windowed mode.
#include "app/win/init_application.h"

#include <commctrl.h>

#include "app/autostart/win/event_source.h"
#include "app/win/app_info.h"
#include "app/win/main_form.h"
#include "app/win/rich_edit.h"
#include "core/win/kernel_handle.h"
#include "core/win/program_arguments.h"
#include "core/win/silent_correction.h"
#include "core/win/system_library.h"
#include "forms/win/gdiplus_session.h"

namespace {

// Every common-control class up to and including the standard ones; the link class
// (ICC_LINK_CLASS) is not needed.
constexpr DWORD kCommonControlClasses =
    ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
    ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS | ICC_HOTKEY_CLASS | ICC_ANIMATE_CLASS |
    ICC_DATE_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES | ICC_INTERNET_CLASSES |
    ICC_PAGESCROLLER_CLASS | ICC_NATIVEFNTCTL_CLASS | ICC_STANDARD_CLASSES;

// The form runs its own message loop until it is destroyed; the only mode there is.
constexpr int kOwnMessageLoop = -1;

// The process's exit status, which the Task Scheduler shows as the task's last run result:
// 0 when the clock was set, or another instance is setting it, or the window was closed; 1 when
// Windows refused to set the clock; 2 when time that came over plain HTTP alone was not believed
// far enough to be set.
constexpr int kExitDone = 0;
constexpr int kExitClockRefused = 1;
constexpr int kExitTimeWithheld = 2;
// What SYSTEM runs when the logon task's command line has lost its argument.
constexpr wchar_t kSilentArgument[] = L"1";

using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

// The common controls are loaded here rather than imported, after start-up has kept the DLL
// search out of the program's folder; the manifest sends the load to version 6.
void InitCommonControlClasses() {
    const auto init = SystemLibraryEntry<InitCommonControlsExFunction>(
        LoadSystemLibrary(L"comctl32.dll"), "InitCommonControlsEx");
    if (init == nullptr) {
        return;  // the controls of user32 still work, unthemed
    }
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof(classes);
    classes.dwICC = kCommonControlClasses;
    init(&classes);
}

// True when the process runs as LocalSystem, the logon task's account.
bool RunsAsLocalSystem() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    const UniqueKernelHandle owned(token);
    alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
    DWORD bytes = 0;
    return GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &bytes) &&
           IsWellKnownSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, WinLocalSystemSid);
}

}  // namespace

int InitApplication(HINSTANCE instance, HINSTANCE, const wchar_t*, int) {
    FillAppInfo(instance);

    // SYSTEM (the logon task's account) runs in session 0, where nobody sees a window and one
    // would never end; the task's "never twice at once" would then block every later logon. So
    // SYSTEM always runs the silent mode, whatever its command line says.
    if (!SilentModeRequested() && RunsAsLocalSystem()) {
        RecordProgramArguments({kSilentArgument});
    }

    // With any argument the clock is corrected once and the program ends without a window. That
    // mode needs no controls, no rich-edit library and no GDI+: none of them is loaded for it.
    // What it did goes to the Application event log, where administrators look.
    bool warnedOfNoAnswer = false;
    const SilentCorrectionReport report =
        SilentCorrection(NoAnswerWarningObserver(&warnedOfNoAnswer));
    switch (report.Result) {
        case SilentCorrectionReport::Outcome::NotRequested:
            break;
        case SilentCorrectionReport::Outcome::AnotherInstance:
            return kExitDone;
        case SilentCorrectionReport::Outcome::Corrected:
            WriteSilentRunEntry(report);
            return kExitDone;
        case SilentCorrectionReport::Outcome::Refused:
            WriteSilentRunEntry(report);
            return kExitClockRefused;
        case SilentCorrectionReport::Outcome::Withheld:
            WriteSilentRunEntry(report);
            return kExitTimeWithheld;
    }

    InitCommonControlClasses();
    LoadRichEditLibrary();
    // Shut down when start-up returns.
    const GdiplusSession gdiplus;
    // Returns when the form has been closed, or at once when it could not be created.
    // Workers still waiting on the network are not waited for: they end with the process.
    CreateMainForm(nullptr, kOwnMessageLoop, 0);
    return kExitDone;
}
