// Registration of a program to start silently with Windows: a protected copy under Program
// Files, the machine-wide Run value and a logon task that both start the copy, and the copy as
// the source of the program's event log entries. Knows nothing of any window: the caller names
// the program and tells the user.
#pragma once

#include <string>
#include <string_view>

// Each call below takes the program's full path (UTF-8), the file the process was started
// from. Registration work never runs on two threads at once: the calls that change anything
// take turns, and each reads the value anew once it has its turn.

// True when the machine-wide Run value starts this program or the protected copy with the
// silent argument, quoted or in the older unquoted form, the paths compared as Windows compares
// paths (full path, letter case ignored). One read of the value, without waiting for a turn.
bool IsProgramRegistered(std::string_view programPath);

// Registers the program: copy, value, task, event source, each undone when a later one is
// refused. True when all four are in place.
bool AddAutostart(std::string_view programPath);

// Removes the registration: task, value, event source, copy. False when the task or the value
// stays (the task is then put back beside the value).
bool RemoveAutostart(std::string_view programPath);

enum class AutostartCheck {
    NotRegistered,  // the value starts neither this program nor the copy
    Registered,     // it does, and the rest is in place
    RepairRefused,  // it did, a repair was refused, and the registration has been taken back
};

// IsProgramRegistered, and when it is, repairs the rest quietly: the copy made again when it is
// missing or not byte for byte this program (a new version run from any place updates it), the
// value rewritten to start the copy, quoted, the task registered again unless it is enabled and
// runs the copy as SYSTEM at logon, the event source registered again unless it
// names the copy. When a repair is refused (the copy's folder is not safe, Windows refuses a
// change), nothing must go on starting a registration that is not whole: it is taken back as a
// refused tick's is, and the caller tells the user so.
AutostartCheck CheckAndRepairAutostart(std::string_view programPath);
