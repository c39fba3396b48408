// The protected copy under Program Files that the logon task runs as SYSTEM.
#include "app/autostart/win/protected_copy.h"

#include <windows.h>

#include <knownfolders.h>
#include <ntsecapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <optional>
#include <vector>

#include "app/autostart/win/protected_folder.h"
#include "core/win/kernel_handle.h"
#include "core/win/unique_handle.h"
#include "core/win/wide_text.h"

namespace {

constexpr wchar_t kCopyFolderName[] = L"\\Quelan_Tikora";
constexpr wchar_t kCopyFileName[] = L"\\QuelanTikora.exe";
constexpr wchar_t kTemporaryPrefix[] = L"\\qtk";
constexpr wchar_t kNewCopySuffix[] = L".new";
constexpr wchar_t kOldCopySuffix[] = L".old";
constexpr DWORD kChunkBytes = 64 * 1024;
// A random name is taken at the first try unless someone plants names; a few more tries cost
// nothing.
constexpr int kNameAttempts = 4;

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

// The running program's bytes, only when the file at programPath is the file its image was
// mapped from. A program running elevated from a folder that others can write could otherwise
// have been renamed away and replaced since it started, and the replacement would be copied.
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
    std::vector<char> chunk(kChunkBytes);
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

// Opened as itself, never through a link.
UniqueFileHandle OpenCopy(const std::wstring& copy, DWORD access) {
    return UniqueFileHandle(
        CreateFileW(copy.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool IsPlainFile(HANDLE file) {
    FILE_ATTRIBUTE_TAG_INFO information{};
    return GetFileInformationByHandleEx(file, FileAttributeTagInfo, &information,
                                        sizeof(information)) &&
           !(information.FileAttributes &
             (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

// With the folder checked and held open: the copy is a plain file that only the trusted accounts
// may change, checked through the handle it is read by, and holds the program's bytes.
bool CopyHoldsProgram(const ProtectedFolder& folder, const ProgramBytes& program) {
    const UniqueFileHandle copy = OpenCopy(folder.Path + kCopyFileName, GENERIC_READ);
    return copy && IsPlainFile(copy.get()) && IsProtectedFile(folder, copy.get()) &&
           HoldsBytes(copy.get(), program.View.get(), program.Size);
}

// A name of 32 random hexadecimal digits beside the copy; empty when Windows has no random
// bytes to give.
std::wstring RandomNameIn(const std::wstring& folder, const wchar_t* suffix) {
    unsigned char bytes[16] = {};
    if (!RtlGenRandom(bytes, sizeof(bytes))) {
        return {};
    }
    std::wstring name = folder + kTemporaryPrefix;
    for (const unsigned char byte : bytes) {
        wchar_t digits[3] = {};
        std::swprintf(digits, 3, L"%02x", byte);
        name += digits;
    }
    return name + suffix;
}

// Renames the open file (opened with DELETE access) to target, a full path on its volume.
bool RenameByHandle(HANDLE file, const std::wstring& target, bool replace) {
    const size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = replace ? TRUE : FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(rename->FileName, target.data(), nameBytes);
    return SetFileInformationByHandle(file, FileRenameInfo, rename,
                                      static_cast<DWORD>(buffer.size())) != FALSE;
}

// Marks the open file (opened with DELETE access) to be deleted when its last handle closes.
bool DeleteByHandle(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                      sizeof(disposition)) != FALSE;
}

// A running program cannot be deleted or replaced, but it can be renamed. The copy, which the
// logon task's instance may be running, is renamed to a free random name beside it, which is
// then deleted, or deleted when Windows next starts. A deletion at restart is asked for by that
// name, never by the copy's own, which by then may hold a newer copy.
bool MoveAside(const std::wstring& folder) {
    const UniqueFileHandle copy = OpenCopy(folder + kCopyFileName, DELETE | FILE_READ_ATTRIBUTES);
    if (!copy || !IsPlainFile(copy.get())) {
        return false;
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::wstring aside = RandomNameIn(folder, kOldCopySuffix);
        if (!aside.empty() && RenameByHandle(copy.get(), aside, false)) {
            if (!DeleteByHandle(copy.get())) {
                MoveFileExW(aside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
            }
            return true;
        }
    }
    return false;
}

// A file of its own, made only if nothing has that name (a link planted there included), with
// the protected descriptor, open for writing and for being renamed or deleted through the handle.
UniqueFileHandle CreateNewCopyFile(const std::wstring& folder) {
    const UniqueLocalMemory descriptor = DescriptorFromSddl(kProtectedFileSddl);
    if (!descriptor) {
        return {};
    }
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.get(), FALSE};
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::wstring name = RandomNameIn(folder, kNewCopySuffix);
        UniqueFileHandle file(name.empty() ? INVALID_HANDLE_VALUE
                                           : CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0,
                                                         &attributes, CREATE_NEW,
                                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            return file;
        }
    }
    return {};
}

bool WriteWhole(HANDLE file, const void* bytes, size_t size) {
    const char* next = static_cast<const char*>(bytes);
    size_t left = size;
    while (left > 0) {
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(left, kChunkBytes));
        DWORD written = 0;
        if (!WriteFile(file, next, wanted, &written, nullptr) || written != wanted) {
            return false;
        }
        next += written;
        left -= written;
    }
    return FlushFileBuffers(file) != FALSE;
}

// Into place in one step, through the handle. A copy that is there and cannot be replaced (it
// runs) is moved aside first.
bool PutInPlace(HANDLE file, const std::wstring& folder) {
    const std::wstring copy = folder + kCopyFileName;
    return RenameByHandle(file, copy, true) ||
           (MoveAside(folder) && RenameByHandle(file, copy, true));
}

// With the folder checked and held open. Written whole under a name of its own in the same
// folder, then renamed over the copy: a rename on one volume, so a reader never finds half a
// copy. Every step after the file is made goes through its handle, so nothing planted between
// the steps can be written instead.
bool WriteCopy(const ProtectedFolder& folder, const ProgramBytes& program) {
    UniqueFileHandle file = CreateNewCopyFile(folder.Path);
    if (!file) {
        return false;
    }
    if (!WriteWhole(file.get(), program.View.get(), program.Size) ||
        !PutInPlace(file.get(), folder.Path)) {
        DeleteByHandle(file.get());
        return false;
    }
    file.reset();  // it shares nothing: read back only once it is closed
    return CopyHoldsProgram(folder, program);
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
    bool installed = false;
    {
        // Held open until the copy has been read back: the folder checked is the one written to.
        const ProtectedFolder checked = OpenProtectedFolder(folder);
        installed = checked && WriteCopy(checked, *program);
    }
    if (!installed) {
        RemoveDirectoryW(folder.c_str());  // only when it is empty
    }
    return installed;
}

bool ProtectedCopyIsCurrent(std::string_view programPath) {
    const std::optional<ProgramBytes> program = MapRunningProgram(programPath);
    const std::wstring folder = CopyFolder();
    if (!program || folder.empty()) {
        return false;
    }
    const ProtectedFolder checked = OpenExistingProtectedFolder(folder);
    return checked && CopyHoldsProgram(checked, *program);
}

bool RemoveProtectedCopy() {
    const std::wstring folder = CopyFolder();
    if (folder.empty()) {
        return false;
    }
    // A folder that is missing holds no copy; one that others can change is left alone: nothing
    // starts what is in it any more, and what it holds may not be what its names say.
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    {
        const ProtectedFolder checked = OpenExistingProtectedFolder(folder);
        if (!checked) {
            return true;
        }
        const UniqueFileHandle copy =
            OpenCopy(folder + kCopyFileName, DELETE | FILE_READ_ATTRIBUTES);
        if (copy &&
            (!IsPlainFile(copy.get()) || (!DeleteByHandle(copy.get()) && !MoveAside(folder)))) {
            return false;
        }
    }
    // Kept when something else is in it. One that still holds a copy moved aside goes at the
    // restart that deletes that copy, if it is empty then (Windows removes only an empty one).
    if (!RemoveDirectoryW(folder.c_str()) && GetLastError() == ERROR_DIR_NOT_EMPTY) {
        MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    return true;
}
