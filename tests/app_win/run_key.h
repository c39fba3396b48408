// The machine-wide Run key and the logon task as the autostart tests see them: raw access that
// bypasses the code under test, both removed before and after each test, a key made read-only
// and a task the scheduler refuses.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/win/registry_key.h"

inline constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValue[] = L"Quelan_Tikora";

// Stores raw data under the program's value name.
void StoreRunValue(DWORD type, const void* data, DWORD sizeBytes);
void StoreRunText(const std::wstring& text);
// The program's value as REG_SZ text; nullopt when it is missing.
std::optional<std::wstring> RunText();
void DeleteRunValue();

// Where the scheduler keeps the task folder, where an older version's task in the root folder
// stood too, and the logon task's definition in it (a 32-bit prefix: no redirection).
std::wstring TaskFolderPath();
std::wstring TaskFilePath();

// The protected copy's folder, from the environment (%ProgramFiles(x86)%, else %ProgramFiles%),
// and the copy in it.
std::wstring CopyFolder();
std::wstring CopyPath();
// True when the copy is byte for byte this test program, the program the code under test copies.
bool CopyIsProgram();
// A copy with other bytes in its place, as an older version would have left.
void PlantStaleCopy();
// A folder standing at the copy's path, which no file can replace: the copy is refused.
bool BlockCopy();
// The copy's folder, empty and owned by another account (Unix's nobody, which Wine shows as
// Anonymous); false where its owner cannot be changed (not root).
bool PlantForeignFolder();
// Runs /bin/<command> on the Unix file behind a Windows path ("chmod o+w").
void RunUnixCommandOn(const wchar_t* command, const std::wstring& path);

// The program's event source's message file; nullopt when the source is not registered.
std::optional<std::wstring> EventMessageFile();

// Removes the program's value, its logon task, its event source and its copy's folder, with
// anything standing in their place, on construction and destruction.
class AutostartCleanup {
public:
    AutostartCleanup() { Clean(); }
    AutostartCleanup(const AutostartCleanup&) = delete;
    AutostartCleanup& operator=(const AutostartCleanup&) = delete;
    ~AutostartCleanup() { Clean(); }
    static void Clean();
};

// A folder stands where the scheduler stores the task's definition while it lives, as a task
// folder of that name would, held open without leave to delete it. Wine's scheduler keeps tasks
// only as these files: it can neither delete the folder as a task nor write one over it, and
// refuses. (A read-only Tasks folder refuses nothing here, whether made so for Unix, the tests
// running as root, or with the read-only attribute.)
class BlockedLogonTask {
public:
    BlockedLogonTask()
        : made_((CreateDirectoryW(TaskFolderPath().c_str(), nullptr),
                 CreateDirectoryW(TaskFilePath().c_str(), nullptr) != FALSE)),
          folder_(CreateFileW(TaskFilePath().c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
    BlockedLogonTask(const BlockedLogonTask&) = delete;
    BlockedLogonTask& operator=(const BlockedLogonTask&) = delete;
    ~BlockedLogonTask() {
        CloseHandle(folder_);
        RemoveDirectoryW(TaskFilePath().c_str());
    }
    bool Blocked() const { return made_ && folder_ != INVALID_HANDLE_VALUE; }

private:
    bool made_;
    HANDLE folder_;
};

// The task's stored definition held open, without leave to delete it, while it lives: the
// scheduler cannot remove the task.
class HeldLogonTask {
public:
    HeldLogonTask()
        : file_(CreateFileW(TaskFilePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr)) {}
    HeldLogonTask(const HeldLogonTask&) = delete;
    HeldLogonTask& operator=(const HeldLogonTask&) = delete;
    ~HeldLogonTask() {
        if (Held()) {
            CloseHandle(file_);
        }
    }
    bool Held() const { return file_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE file_;
};

// Lets everyone only read the Run key while it lives, as a machine whose policy or security
// software refuses changes would; the key's own permissions come back afterwards.
class ReadOnlyRunKey {
public:
    ReadOnlyRunKey();
    ReadOnlyRunKey(const ReadOnlyRunKey&) = delete;
    ReadOnlyRunKey& operator=(const ReadOnlyRunKey&) = delete;
    ~ReadOnlyRunKey();
    bool Locked() const { return locked_; }

private:
    UniqueRegistryKey key_;
    std::vector<BYTE> savedSecurity_;
    bool locked_ = false;
};
