// Test helper for the windowed end-to-end tests: finds the running program's main form by its
// class name and reads or works its controls the way a user's clicks would.
//   windowed_form_probe wait <ms>      exit 0 once the form exists
//   windowed_form_probe state          key=value lines: the read-outs, the button and box
//   windowed_form_probe click          posts a click (BM_CLICK) to the correct-now button
//   windowed_form_probe dismiss <ms>   waits up to <ms> for the program's message box, prints
//                                      its text and closes it (exit status 1: none came)
//   windowed_form_probe tick           clicks the autostart check box (BM_CLICK)
//   windowed_form_probe run-registered <ms>
//                                      starts the command registered under the Run key the
//                                      way Windows does at logon, waits up to <ms> for it and
//                                      exits with its exit status (3: none, 4: still running)
//   windowed_form_probe close <ms>     asks the form to close (WM_CLOSE) and waits up to <ms>
//                                      for the program to end; prints how long it took
#include <windows.h>

#include <cstdio>
#include <string>

#include "core/win/wide_text.h"
#include "app/main_form_design.h"

namespace {

constexpr UINT kSendTimeoutMs = 5000;
constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Quelan_Tikora";

HWND FindForm() {
    return FindWindowW(Widen(kMainFormDescription.ClassName).c_str(), nullptr);
}

std::string TextOf(HWND window) {
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    // WM_GETTEXT crosses the process boundary; a hung program must not hang the test.
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                        kSendTimeoutMs, &copied);
    return Narrow(std::wstring(text, copied));
}

void Print(const char* key, const std::string& value) {
    std::printf("%s=%s\n", key, value.c_str());
}

int State(HWND form) {
    Print("title", TextOf(form));
    Print("network", TextOf(GetDlgItem(form, kNetworkTimeLabelId)));
    Print("computer", TextOf(GetDlgItem(form, kComputerTimeLabelId)));
    Print("button",
          IsWindowEnabled(GetDlgItem(form, kCorrectNowButtonId)) ? "enabled" : "disabled");
    DWORD_PTR check = 0;
    SendMessageTimeoutW(GetDlgItem(form, kAutostartCheckBoxId), BM_GETCHECK, 0, 0, SMTO_BLOCK,
                        kSendTimeoutMs, &check);
    Print("checkbox", check == BST_CHECKED ? "checked" : "unchecked");
    RECT bounds{};
    GetWindowRect(form, &bounds);
    std::printf("rect=%ld,%ld,%ld,%ld\n", bounds.left, bounds.top, bounds.right, bounds.bottom);
    return 0;
}

// Exit status 0 when the program ended in time, 4 when it still runs.
int Close(HWND form, DWORD limitMs) {
    DWORD processId = 0;
    GetWindowThreadProcessId(form, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    const ULONGLONG posted = GetTickCount64();
    if (!PostMessageW(form, WM_CLOSE, 0, 0)) {
        return 3;
    }
    if (process == nullptr) {
        return 3;
    }
    const DWORD waited = WaitForSingleObject(process, limitMs);
    CloseHandle(process);
    std::printf("ended_after_ms=%llu\n", GetTickCount64() - posted);
    return waited == WAIT_OBJECT_0 ? 0 : 4;
}

// The program's message box: its caption is the program's value name; its message is the
// static control numbered 0xFFFF, in Windows and Wine alike.
int Dismiss(DWORD limitMs) {
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    HWND box = nullptr;
    while ((box = FindWindowW(L"#32770", kRunValue)) == nullptr) {
        if (GetTickCount64() >= deadline) {
            return 1;
        }
        Sleep(50);
    }
    Print("message", TextOf(GetDlgItem(box, 0xFFFF)));
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}

int Click(HWND control) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_BLOCK, kSendTimeoutMs, &ignored) ? 0
                                                                                              : 3;
}

// The command line goes to CreateProcess unchanged, as Windows' own logon start does, so an
// unquoted path with spaces is resolved the way it will be at logon.
int RunRegistered(DWORD limitMs) {
    wchar_t command[2048] = {};
    DWORD sizeBytes = sizeof(command) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, command,
                     &sizeBytes) != ERROR_SUCCESS) {
        return 3;
    }
    std::printf("registered=%s\n", Narrow(command).c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return 3;
    }
    CloseHandle(process.hThread);
    const DWORD waited = WaitForSingleObject(process.hProcess, limitMs);
    DWORD exitCode = 4;
    if (waited == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &exitCode);
    }
    CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"wait") {
        const ULONGLONG deadline = GetTickCount64() + (argc > 2 ? _wtoi(argv[2]) : 10000);
        while (FindForm() == nullptr) {
            if (GetTickCount64() >= deadline) {
                return 1;
            }
            Sleep(50);
        }
        return 0;
    }
    if (command == L"run-registered") {
        return RunRegistered(argc > 2 ? static_cast<DWORD>(_wtoi(argv[2])) : 30000);
    }
    HWND form = FindForm();
    if (form == nullptr) {
        std::fprintf(stderr, "no main form\n");
        return 2;
    }
    if (command == L"state") {
        return State(form);
    }
    if (command == L"click") {
        return PostMessageW(GetDlgItem(form, kCorrectNowButtonId), BM_CLICK, 0, 0) ? 0 : 3;
    }
    if (command == L"dismiss") {
        return Dismiss(argc > 2 ? static_cast<DWORD>(_wtoi(argv[2])) : 10000);
    }
    if (command == L"tick") {
        return Click(GetDlgItem(form, kAutostartCheckBoxId));
    }
    if (command == L"close") {
        return Close(form, argc > 2 ? static_cast<DWORD>(_wtoi(argv[2])) : 5000);
    }
    std::fprintf(stderr,
                 "usage: windowed_form_probe wait <ms> | state | click | dismiss <ms> | tick |"
                 " close <ms> | run-registered <ms>\n");
    return 64;
}
