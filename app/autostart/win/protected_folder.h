// The protected copy's folder and the files made in it: the security descriptor they are made
// with, and the check of a folder, of the folder it lies in and of a file in it, found in place
// before anything is run from them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/win/kernel_handle.h"
#include "core/win/security_descriptor.h"

// Owner Administrators; SYSTEM and Administrators full control, Users read and execute; nothing
// inherited from Program Files. The folder's entries pass on to what is made in it.
inline constexpr wchar_t kProtectedFolderSddl[] =
    L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)";
// The same for a file made in it.
inline constexpr wchar_t kProtectedFileSddl[] = L"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FRFX;;;BU)";

// True when a folder or file with this descriptor may hold or be what SYSTEM runs: its owner is
// SYSTEM, Administrators, TrustedInstaller or trustedOwner, and no other account may write into
// it, change its attributes, delete it or anything in it, change its permissions or take
// ownership of it. trustedOwner is the owner of the folder it lies in, who can change everything
// there anyway; it may be null.
bool IsProtectedSecurity(PSECURITY_DESCRIPTOR descriptor, PSID trustedOwner);

// A folder that passed the check, held open, and the owner trusted in it beside SYSTEM,
// Administrators and TrustedInstaller: the owner of the folder it lies in (Program Files).
struct ProtectedFolder {
    std::wstring Path;
    UniqueFileHandle Handle;  // empty: the folder is not safe, or not there
    std::vector<BYTE> TrustedOwner;

    explicit operator bool() const { return static_cast<bool>(Handle); }
};

// Makes the folder with kProtectedFolderSddl unless something stands at its path already, then
// opens what stands there by handle, without following a reparse point, and checks it through
// that handle: a folder, not a reparse point, and IsProtectedSecurity with its parent's owner
// trusted. Its parent, Program Files, is checked the same way, with the owner of the drive's root
// trusted: whoever else may change Program Files could rename the folder away and put another in
// its place. While the handle is held, nobody can rename or delete the folder. Empty when any of
// that fails; a folder this call made is then removed again if it is empty.
ProtectedFolder OpenProtectedFolder(const std::wstring& folder);

// Opens a folder that exists and checks it as OpenProtectedFolder does, without making it.
ProtectedFolder OpenExistingProtectedFolder(const std::wstring& folder);

// True when the open file (opened with READ_CONTROL) in that folder passes IsProtectedSecurity
// with the folder's trusted owner: a file that others may change is no copy to run as SYSTEM.
bool IsProtectedFile(const ProtectedFolder& folder, HANDLE file);
