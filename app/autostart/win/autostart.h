// Registration of a program to start silently with Windows: a protected copy under Program
// Files, the machine-wide Run value, and a logon task that runs the copy as SYSTEM. Knows
// nothing of any window: the caller names the program and tells the user.
#pragma once

#include <string>
#include <string_view>

// Each call below takes the program's full path (UTF-8), the file the process was started
// from. Registration work never runs on two threads at once: the calls that change anything
// take turns, and each reads the value anew once it has its turn.

// The Run value for the program as it is now, quoted: the registration of a moved program no
// longer matches.
std::string AutostartCommandFor(std::string_view programPath);

// True when the machine-wide Run value starts this program's path with the silent argument,
// quoted or in the older unquoted form, the path compared as Windows compares paths (full path,
// letter case ignored). One read of the value, without waiting for a turn.
bool IsProgramRegistered(std::string_view programPath);

// Registers the program: copy, value, task, each undone when a later one is refused. True when
// all three are in place.
bool AddAutostart(std::string_view programPath);

// Removes the registration: task, value, copy. False when the task or this program's value
// stays (the task is then put back beside the value).
bool RemoveAutostart(std::string_view programPath);

// IsProgramRegistered, and when it is, repairs the rest quietly: the copy made again when it is
// missing or not byte for byte this program (a new version run from the same place updates it),
// the value rewritten quoted, the task registered again when it does not run the copy as SYSTEM.
bool CheckAndRepairAutostart(std::string_view programPath);
