// The protected copy: the running program copied into a folder under Program Files, which only
// administrators, SYSTEM and TrustedInstaller can change. The logon task runs this copy as
// SYSTEM, never the file the user started, which may sit where anyone can replace it.
#pragma once

#include <string>
#include <string_view>

// <the 32-bit Program Files folder>\Quelan_Tikora\QuelanTikora.exe, UTF-8 (Program Files (x86)
// on 64-bit Windows, Program Files itself on 32-bit Windows); empty when Windows cannot name
// the folder.
std::string ProtectedCopyPath();

// Makes the copy byte for byte the running program, whose file is at programPath (UTF-8). The
// folder is made with a protected descriptor of its own (protected_folder.h), or, when it exists,
// checked through a handle: one that others own or can change, or a reparse point (a junction,
// which could lead the copy elsewhere), is refused. The bytes go to a new file of a random name
// beside the copy, made exclusively with the same descriptor, written through its handle and
// renamed over the copy through it, in one step; the copy is then read back. The bytes are read
// from the very file the process was started from, checked against the running image: a file
// put at the program's path since it started is never copied. A copy that is running is moved
// aside and deleted at the next restart. True when the copy now holds those bytes; on failure no
// new file is left.
bool InstallProtectedCopy(std::string_view programPath);

// True when the copy is a plain file in a folder that passes the check above, passes the same
// check itself (IsProtectedFile), and holds the running program's bytes, read from programPath.
bool ProtectedCopyIsCurrent(std::string_view programPath);

// Deletes the copy, then its folder if that is empty. A copy that is running (the logon task's
// instance) cannot be deleted: it is moved aside and deleted at the next restart, with the folder
// if that is empty then, and counts as gone. A folder that fails the check above is left as it
// is. True when no copy of this program's stays at the copy's path.
bool RemoveProtectedCopy();
