// The protected copy's folder: made with a descriptor of its own, and checked through a handle,
// with the folder it lies in and the files in it, before anything in it is trusted.
#include "app/autostart/win/protected_folder.h"

#include <aclapi.h>
#include <sddl.h>

namespace {

// What no account but the trusted ones may hold on the folder or file: writing or adding files or
// folders, changing attributes, deleting it or anything in it, changing its permissions, taking
// ownership (generic rights included, as they may stand unmapped in an entry).
constexpr ACCESS_MASK kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                      FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD | DELETE |
                                      WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// The service account that owns Windows' own files.
constexpr wchar_t kTrustedInstallerSid[] =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// Read and attributes only, sharing everything but deletion: the folder cannot be renamed or
// deleted while the handle is open. A reparse point is opened as itself.
constexpr DWORD kFolderAccess = READ_CONTROL | FILE_READ_ATTRIBUTES;
constexpr DWORD kFolderSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kFolderFlags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;

bool IsTrustedSid(PSID sid, PSID trustedOwner) {
    if (IsWellKnownSid(sid, WinLocalSystemSid) ||
        IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
        (trustedOwner != nullptr && EqualSid(sid, trustedOwner))) {
        return true;
    }
    PSID trustedInstaller = nullptr;
    if (!ConvertStringSidToSidW(kTrustedInstallerSid, &trustedInstaller)) {
        return false;
    }
    const UniqueLocalMemory owned(trustedInstaller);
    return EqualSid(sid, trustedInstaller) != FALSE;
}

// True when no entry lets an untrusted account change the folder or file. Entries that only pass
// on to what is made in a folder do not apply to it; denials take nothing away from the check. An
// entry of a kind not known here counts against it.
bool DaclKeepsOthersOut(PACL dacl, PSID trustedOwner) {
    ACL_SIZE_INFORMATION size{};
    if (dacl == nullptr || !GetAclInformation(dacl, &size, sizeof(size), AclSizeInformation)) {
        return false;  // no list: everyone may do everything
    }
    for (DWORD index = 0; index < size.AceCount; ++index) {
        void* raw = nullptr;
        if (!GetAce(dacl, index, &raw)) {
            return false;
        }
        const auto* header = static_cast<const ACE_HEADER*>(raw);
        if (header->AceFlags & INHERIT_ONLY_ACE) {
            continue;
        }
        switch (header->AceType) {
            case ACCESS_DENIED_ACE_TYPE:
            case ACCESS_DENIED_CALLBACK_ACE_TYPE:
            case ACCESS_DENIED_OBJECT_ACE_TYPE:
            case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE:
                continue;
            case ACCESS_ALLOWED_ACE_TYPE:
            case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
                break;  // the same layout: mask, then the SID
            default:
                return false;
        }
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(raw);
        if ((allowed->Mask & kChangeRights) != 0 &&
            !IsTrustedSid(reinterpret_cast<PSID>(&allowed->SidStart), trustedOwner)) {
            return false;
        }
    }
    return true;
}

// The folder that holds path (everything before its last backslash). A drive's root keeps its
// backslash: "C:" alone names the drive's current folder.
std::wstring ParentOf(const std::wstring& path) {
    const size_t separator = path.find_last_of(L'\\');
    if (separator == std::wstring::npos) {
        return {};
    }
    const bool driveRoot = separator == 2 && path[1] == L':';
    return path.substr(0, driveRoot ? separator + 1 : separator);
}

UniqueFileHandle OpenFolderHandle(const std::wstring& folder, DWORD sharing) {
    return UniqueFileHandle(CreateFileW(folder.c_str(), kFolderAccess, sharing, nullptr,
                                        OPEN_EXISTING, kFolderFlags, nullptr));
}

// The handle's owner and permissions; empty when they cannot be read.
UniqueLocalMemory SecurityOf(HANDLE handle, SECURITY_INFORMATION what) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, what, nullptr, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
        return {};
    }
    return UniqueLocalMemory(descriptor);
}

bool IsPlainFolder(HANDLE handle) {
    FILE_ATTRIBUTE_TAG_INFO information{};
    return GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &information,
                                        sizeof(information)) &&
           (information.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(information.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The descriptor's owner as bytes; empty when it has none.
std::vector<BYTE> OwnerOf(PSECURITY_DESCRIPTOR descriptor) {
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || owner == nullptr ||
        !IsValidSid(owner)) {
        return {};
    }
    const BYTE* bytes = static_cast<const BYTE*>(owner);
    return std::vector<BYTE>(bytes, bytes + GetLengthSid(owner));
}

PSID SidOf(const std::vector<BYTE>& bytes) {
    return bytes.empty() ? nullptr : const_cast<BYTE*>(bytes.data());
}

// The object behind the handle passes IsProtectedSecurity with trustedOwner; its owner, when
// ownerOut is given.
bool HasProtectedSecurity(HANDLE handle, PSID trustedOwner, std::vector<BYTE>* ownerOut) {
    const UniqueLocalMemory security =
        SecurityOf(handle, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION);
    if (!security || !IsProtectedSecurity(security.get(), trustedOwner)) {
        return false;
    }
    if (ownerOut != nullptr) {
        *ownerOut = OwnerOf(security.get());
    }
    return true;
}

}  // namespace

bool IsProtectedSecurity(PSECURITY_DESCRIPTOR descriptor, PSID trustedOwner) {
    PSID owner = nullptr;
    BOOL ownerDefaulted = FALSE;
    BOOL daclPresent = FALSE;
    PACL dacl = nullptr;
    BOOL daclDefaulted = FALSE;
    return GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted) && owner != nullptr &&
           IsTrustedSid(owner, trustedOwner) &&
           GetSecurityDescriptorDacl(descriptor, &daclPresent, &dacl, &daclDefaulted) &&
           daclPresent && DaclKeepsOthersOut(dacl, trustedOwner);
}

ProtectedFolder OpenExistingProtectedFolder(const std::wstring& folder) {
    // The drive's root is only asked for its owner: it is left open to everything else.
    const std::wstring parentPath = ParentOf(folder);
    const UniqueFileHandle root =
        OpenFolderHandle(ParentOf(parentPath), kFolderSharing | FILE_SHARE_DELETE);
    const UniqueFileHandle parent =
        OpenFolderHandle(parentPath, kFolderSharing | FILE_SHARE_DELETE);
    ProtectedFolder checked{folder, OpenFolderHandle(folder, kFolderSharing), {}};
    if (!root || !parent || !checked.Handle || !IsPlainFolder(parent.get()) ||
        !IsPlainFolder(checked.Handle.get())) {
        return {};
    }
    const UniqueLocalMemory rootSecurity = SecurityOf(root.get(), OWNER_SECURITY_INFORMATION);
    const std::vector<BYTE> rootOwner =
        rootSecurity ? OwnerOf(rootSecurity.get()) : std::vector<BYTE>();
    if (rootOwner.empty() ||
        !HasProtectedSecurity(parent.get(), SidOf(rootOwner), &checked.TrustedOwner) ||
        !HasProtectedSecurity(checked.Handle.get(), SidOf(checked.TrustedOwner), nullptr)) {
        return {};
    }
    return checked;
}

ProtectedFolder OpenProtectedFolder(const std::wstring& folder) {
    const UniqueLocalMemory descriptor = DescriptorFromSddl(kProtectedFolderSddl);
    if (!descriptor) {
        return {};
    }
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.get(), FALSE};
    const bool made = CreateDirectoryW(folder.c_str(), &attributes) != FALSE;
    if (!made && GetLastError() != ERROR_ALREADY_EXISTS) {
        return {};
    }
    ProtectedFolder checked = OpenExistingProtectedFolder(folder);
    if (!checked && made) {
        RemoveDirectoryW(folder.c_str());
    }
    return checked;
}

bool IsProtectedFile(const ProtectedFolder& folder, HANDLE file) {
    return folder && HasProtectedSecurity(file, SidOf(folder.TrustedOwner), nullptr);
}
