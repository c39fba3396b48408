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

// Makes the copy byte for byte the running program, whose file is at programPath (UTF-8): its
// folder is made with the permissions it inherits from Program Files, the bytes go to a temporary
// file in that folder which then replaces the copy in one step, and the copy is read back. The
// bytes are read from the very file the process was started from, checked against the running
// image: a file put at the program's path since it started is never copied. A copy that is running
// is moved aside and deleted at the next restart. True when the copy now holds those bytes; on
// failure no temporary file is left. A folder that is a reparse point (a junction, which could lead
// the copy elsewhere) is refused, and so is a copy that is read back as one.
bool InstallProtectedCopy(std::string_view programPath);

// True when the copy is a plain file in a plain folder and holds the running program's bytes,
// read from programPath.
bool ProtectedCopyIsCurrent(std::string_view programPath);

// Deletes the copy, then its folder if that is empty. A copy that is running (the logon task's
// instance) cannot be deleted: it is moved aside and deleted at the next restart, with the folder
// if that is empty then, and counts as gone. True when no copy stays at the copy's path.
bool RemoveProtectedCopy();
