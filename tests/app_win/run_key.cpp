// The machine-wide Run key and the logon task as the autostart tests see them.
#include "tests/app_win/run_key.h"

#include <aclapi.h>
#include <sddl.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/autostart/event_entries.h"
#include "app/win/app_info.h"
#include "core/win/https_record.h"
#include "core/win/wide_text.h"
#include "app/autostart/win/logon_task.h"

namespace {

// Protected from inheritance, key-read for Everyone and nothing else.
constexpr wchar_t kEveryoneMayOnlyRead[] = L"D:P(A;;KR;;;WD)";

UniqueRegistryKey OpenRunKey(REGSAM access) {
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, access, &key);
    return UniqueRegistryKey(key);
}

}  // namespace

void StoreRunValue(DWORD type, const void* data, DWORD sizeBytes) {
    const UniqueRegistryKey key = OpenRunKey(KEY_SET_VALUE);
    RegSetValueExW(key.get(), kRunValue, 0, type, static_cast<const BYTE*>(data), sizeBytes);
}

void StoreRunText(const std::wstring& text) {
    StoreRunValue(REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::optional<std::wstring> RunText() {
    const UniqueRegistryKey key = OpenRunKey(KEY_QUERY_VALUE);
    DWORD sizeBytes = 0;
    if (RegQueryValueExW(key.get(), kRunValue, nullptr, nullptr, nullptr, &sizeBytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring text(sizeBytes / sizeof(wchar_t) + 1, L'\0');
    RegQueryValueExW(key.get(), kRunValue, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()),
                     &sizeBytes);
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

void DeleteRunValue() {
    const UniqueRegistryKey key = OpenRunKey(KEY_SET_VALUE);
    RegDeleteValueW(key.get(), kRunValue);
}

std::wstring TaskFolderPath() {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system) + L"\\Tasks\\Quelan_Tikora";
}

std::wstring TaskFilePath() {
    return TaskFolderPath() + L"\\Quelan_Tikora";
}

std::wstring CopyFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"ProgramFiles(x86)", folder, MAX_PATH) == 0) {
        GetEnvironmentVariableW(L"ProgramFiles", folder, MAX_PATH);
    }
    return std::wstring(folder) + L"\\Quelan_Tikora";
}

std::wstring CopyPath() {
    return CopyFolder() + L"\\QuelanTikora.exe";
}

namespace {

std::string FileBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : std::string();
}

}  // namespace

bool CopyIsProgram() {
    const std::string copy = FileBytes(CopyPath());
    return !copy.empty() && copy == FileBytes(ModuleFilePath(nullptr));
}

void PlantStaleCopy() {
    CreateDirectoryW(CopyFolder().c_str(), nullptr);
    std::ofstream(std::filesystem::path(CopyPath()), std::ios::binary) << "an older version";
}

bool BlockCopy() {
    CreateDirectoryW(CopyFolder().c_str(), nullptr);
    return CreateDirectoryW(CopyPath().c_str(), nullptr) != FALSE;
}

// Wine starts a Unix program that a process starts and returns at once: the process handle it
// gives tells neither the program's end nor its exit status, so callers wait for its effect. It
// makes up a file's descriptor from its Unix owner and mode: nobody shows as Anonymous, a mode
// that lets others write as Everyone's right to change it.
void RunUnixCommandOn(const wchar_t* command, const std::wstring& path) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unixPath = unixName != nullptr ? unixName(path.c_str()) : nullptr;
    if (unixPath == nullptr) {
        return;
    }
    std::wstring line = std::wstring(L"Z:\\bin\\") + command + L" \"" + Widen(unixPath) + L"\"";
    HeapFree(GetProcessHeap(), 0, unixPath);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
}

namespace {

bool CopyFolderIsForeign() {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR security = nullptr;
    const bool foreign =
        GetNamedSecurityInfoW(CopyFolder().c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION,
                              &owner, nullptr, nullptr, nullptr, &security) == ERROR_SUCCESS &&
        IsWellKnownSid(owner, WinAnonymousSid);
    LocalFree(security);
    return foreign;
}

}  // namespace

bool PlantForeignFolder() {
    CreateDirectoryW(CopyFolder().c_str(), nullptr);
    RunUnixCommandOn(L"chown nobody", CopyFolder());
    for (int poll = 0; poll < 50 && !CopyFolderIsForeign(); ++poll) {
        Sleep(50);
    }
    return CopyFolderIsForeign();
}

std::optional<std::wstring> EventMessageFile() {
    wchar_t file[MAX_PATH] = {};
    DWORD sizeBytes = sizeof(file) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, Widen(kEventSourceKeyPath).c_str(), L"EventMessageFile",
                     RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, file,
                     &sizeBytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return file;
}

void AutostartCleanup::Clean() {
    DeleteRunValue();
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, Widen(kEventSourceKeyPath).c_str());
    RemoveHttpsRecord();
    RemoveDirectoryW(TaskFilePath().c_str());
    DeleteLogonTask();
    DeleteFileW(CopyPath().c_str());
    RemoveDirectoryW(CopyPath().c_str());
    RemoveDirectoryW(CopyFolder().c_str());
}

ReadOnlyRunKey::ReadOnlyRunKey() : key_(OpenRunKey(READ_CONTROL | WRITE_DAC)) {
    DWORD sizeBytes = 0;
    RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, nullptr, &sizeBytes);
    savedSecurity_.resize(sizeBytes);
    if (sizeBytes == 0 || RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION,
                                            savedSecurity_.data(), &sizeBytes) != ERROR_SUCCESS) {
        return;
    }
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kEveryoneMayOnlyRead, SDDL_REVISION_1,
                                                              &readOnly, nullptr)) {
        return;
    }
    locked_ = RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, readOnly) == ERROR_SUCCESS;
    LocalFree(readOnly);
}

ReadOnlyRunKey::~ReadOnlyRunKey() {
    if (locked_) {
        RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, savedSecurity_.data());
    }
}
