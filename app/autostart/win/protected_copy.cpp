// The protected copy under Program Files that the logon task runs as SYSTEM.
#include "app/autostart/win/protected_copy.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "core/win/kernel_handle.h"
#include "core/win/unique_handle.h"
#include "core/win/wide_text.h"

namespace {

constexpr wchar_t kCopyFolderName[] = L"\\Quelan_Tikora";
constexpr wchar_t kCopyFileName[] = L"\\QuelanTikora.exe";
constexpr wchar_t kTemporaryPrefix[] = L"qtk";
constexpr DWORD kReadChunkBytes = 64 * 1024;

struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) { CloseHandle(handle); }
};
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;

struct ViewTraits {
    using Type = const void*;
    static Type Invalid() { return nullptr; }
    static void Close(Type view) { UnmapViewOfFile(view); }
};
using UniqueView = UniqueHandle<ViewTraits>;

// The program file's bytes, mapped from a handle that lets nobody write, delete or rename the
// file while it is held.
struct ProgramBytes {
    UniqueFileHandle File;
    UniqueKernelHandle Mapping;
    UniqueView View;
    size_t Size = 0;
};

// ntdll's check that a view mapped as an image and a view mapped as data are of one file.
using AreMappedFilesTheSame = LONG(WINAPI*)(PVOID image, PVOID file);

std::wstring CopyFolder() {
    PWSTR programFiles = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramFilesX86, 0, nullptr, &programFiles))) {
        folder = std::wstring(programFiles) + kCopyFolderName;
    }
    CoTaskMemFree(programFiles);
    return folder;
}

bool IsPlainFolder(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The running program's bytes, only when the file at programPath is the file its image was
// mapped from. A program running elevated from a folder that others can write could otherwise have
// been renamed away and replaced since it started, and the replacement would be copied.
std::optional<ProgramBytes> MapRunningProgram(std::string_view programPath) {
    const auto sameFile = reinterpret_cast<AreMappedFilesTheSame>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtAreMappedFilesTheSame")));
    const std::wstring path = Widen(programPath);
    if (sameFile == nullptr || path.empty()) {
        return std::nullopt;
    }
    ProgramBytes program;
    program.File = UniqueFileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!program.File || !GetFileSizeEx(program.File.get(), &size) || size.QuadPart <= 0 ||
        size.QuadPart > 0x7FFFFFFF) {
        return std::nullopt;
    }
    program.Size = static_cast<size_t>(size.QuadPart);
    program.Mapping = UniqueKernelHandle(
        CreateFileMappingW(program.File.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!program.Mapping) {
        return std::nullopt;
    }
    program.View = UniqueView(MapViewOfFile(program.Mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!program.View ||
        sameFile(GetModuleHandleW(nullptr), const_cast<void*>(program.View.get())) != 0) {
        return std::nullopt;
    }
    return program;
}

// True when the open file holds exactly these bytes.
bool HoldsBytes(HANDLE file, const void* bytes, size_t size) {
    LARGE_INTEGER fileSize{};
    if (!GetFileSizeEx(file, &fileSize) || fileSize.QuadPart != static_cast<LONGLONG>(size)) {
        return false;
    }
    std::vector<char> chunk(kReadChunkBytes);
    const char* expected = static_cast<const char*>(bytes);
    size_t compared = 0;
    while (compared < size) {
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(chunk.size(), size - compared));
        DWORD read = 0;
        if (!ReadFile(file, chunk.data(), wanted, &read, nullptr) || read != wanted ||
            std::memcmp(chunk.data(), expected + compared, read) != 0) {
            return false;
        }
        compared += read;
    }
    return true;
}

bool CopyHoldsProgram(const std::wstring& folder, const ProgramBytes& program) {
    if (!IsPlainFolder(folder)) {
        return false;
    }
    // A link is opened as itself, never followed.
    const UniqueFileHandle copy(CreateFileW((folder + kCopyFileName).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    return copy && GetFileInformationByHandle(copy.get(), &information) &&
           !(information.dwFileAttributes &
             (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
           HoldsBytes(copy.get(), program.View.get(), program.Size);
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A running program cannot be deleted or replaced, but it can be renamed. The copy, which the
// logon task's instance may be running, is renamed to a free name beside it, which is then
// deleted, or deleted when Windows next starts. A deletion at restart is asked for by that name,
// never by the copy's own, which by then may hold a newer copy.
bool MoveAside(const std::wstring& folder, const std::wstring& copy) {
    wchar_t aside[MAX_PATH] = {};
    if (GetTempFileNameW(folder.c_str(), kTemporaryPrefix, 0, aside) == 0) {
        return false;
    }
    if (!MoveFileExW(copy.c_str(), aside, MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(aside);
        return false;
    }
    if (!DeleteFileW(aside)) {
        MoveFileExW(aside, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    return true;
}

// Into place in one step. A copy that is there and cannot be replaced is moved aside first; what
// else stands there (a folder) cannot be.
bool PutInPlace(const std::wstring& folder, const wchar_t* temporary, const std::wstring& copy) {
    constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    return MoveFileExW(temporary, copy.c_str(), kReplace) ||
           (IsFile(copy) && MoveAside(folder, copy) &&
            MoveFileExW(temporary, copy.c_str(), kReplace));
}

bool WriteWhole(const wchar_t* path, const void* bytes, size_t size) {
    const UniqueFileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    const char* next = static_cast<const char*>(bytes);
    size_t left = size;
    while (left > 0) {
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(left, kReadChunkBytes));
        DWORD written = 0;
        if (!WriteFile(file.get(), next, wanted, &written, nullptr) || written != wanted) {
            return false;
        }
        next += written;
        left -= written;
    }
    return FlushFileBuffers(file.get()) != FALSE;
}

}  // namespace

std::string ProtectedCopyPath() {
    const std::wstring folder = CopyFolder();
    return folder.empty() ? std::string() : Narrow(folder + kCopyFileName);
}

bool InstallProtectedCopy(std::string_view programPath) {
    const std::optional<ProgramBytes> program = MapRunningProgram(programPath);
    const std::wstring folder = CopyFolder();
    if (!program || folder.empty()) {
        return false;
    }
    // No security attributes: the folder inherits Program Files' permissions. One that exists
    // already is used only when it is a plain folder; what is run from it is checked below.
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
    }
    if (!IsPlainFolder(folder)) {
        return false;
    }
    // Made empty, with a name of its own, in the same folder: the replacement below is a rename
    // on one volume, so a reader never finds half a copy.
    wchar_t temporary[MAX_PATH] = {};
    const std::wstring copy = folder + kCopyFileName;
    if (GetTempFileNameW(folder.c_str(), kTemporaryPrefix, 0, temporary) == 0 ||
        !WriteWhole(temporary, program->View.get(), program->Size) ||
        !PutInPlace(folder, temporary, copy)) {
        DeleteFileW(temporary);
        RemoveDirectoryW(folder.c_str());  // only when it is empty
        return false;
    }
    return CopyHoldsProgram(folder, *program);
}

bool ProtectedCopyIsCurrent(std::string_view programPath) {
    const std::optional<ProgramBytes> program = MapRunningProgram(programPath);
    const std::wstring folder = CopyFolder();
    return program && !folder.empty() && CopyHoldsProgram(folder, *program);
}

bool RemoveProtectedCopy() {
    const std::wstring folder = CopyFolder();
    if (folder.empty()) {
        return false;
    }
    const std::wstring copy = folder + kCopyFileName;
    if (IsFile(copy) && !DeleteFileW(copy.c_str()) && !MoveAside(folder, copy)) {
        return false;
    }
    // Kept when something else is in it. One that still holds a copy moved aside goes at the
    // restart that deletes that copy, if it is empty then (Windows removes only an empty one).
    if (!RemoveDirectoryW(folder.c_str()) && GetLastError() == ERROR_DIR_NOT_EMPTY) {
        MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    return true;
}
