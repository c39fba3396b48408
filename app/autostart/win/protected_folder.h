// The protected copy's folder and the files made in it: the security descriptor they are made
// with, and the check of a folder that is found in place before anything is run from it.
#pragma once

#include <windows.h>

#include <string>

#include "core/win/kernel_handle.h"
#include "core/win/security_descriptor.h"

// Owner Administrators; SYSTEM and Administrators full control, Users read and execute; nothing
// inherited from Program Files. The folder's entries pass on to what is made in it.
inline constexpr wchar_t kProtectedFolderSddl[] =
    L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FRFX;;;BU)";
// The same for a file made in it.
inline constexpr wchar_t kProtectedFileSddl[] = L"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FRFX;;;BU)";

// True when a folder with this descriptor may hold what SYSTEM runs: its owner is SYSTEM,
// Administrators, TrustedInstaller or trustedOwner, and no other account may write into it,
// delete it or anything in it, change its permissions or take ownership of it. trustedOwner
// is the owner of the folder it lies in (Program Files), who can change everything there anyway;
// it may be null.
bool IsProtectedFolderSecurity(PSECURITY_DESCRIPTOR descriptor, PSID trustedOwner);

// Makes the folder with kProtectedFolderSddl unless something stands at its path already, then
// opens what stands there by handle, without following a reparse point, and checks it through
// that handle: a folder, not a reparse point, and IsProtectedFolderSecurity with its parent's
// owner trusted. While the handle is held, nobody can rename or delete the folder. Empty when
// any of that fails; a folder this call made is then removed again if it is empty.
UniqueFileHandle OpenProtectedFolder(const std::wstring& folder);

// Opens a folder that exists and checks it as OpenProtectedFolder does, without making it.
UniqueFileHandle OpenExistingProtectedFolder(const std::wstring& folder);
