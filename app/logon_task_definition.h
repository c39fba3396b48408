// The Task Scheduler task that starts the program silently, elevated, when anyone logs on.
#pragma once

#include <string>
#include <string_view>

#include "app/autostart_entry.h"

// The task lives in the scheduler's root folder under the same name as the Run value.
inline constexpr std::string_view kLogonTaskName = kAutostartValueName;
// The argument that selects the silent mode.
inline constexpr std::string_view kLogonTaskArguments = "1";

// The task's XML definition (task schema 1.2, Windows Vista and later) for the program at
// programPath, a full path in UTF-8. The text stays UTF-8 here, but its declaration names
// UTF-16: the scheduler is handed the definition as a wide string.
std::string LogonTaskXml(std::string_view programPath);

// True when a task action made of command and arguments, as the scheduler reports them, is the
// one LogonTaskXml(programPath) defines: the same path, quoted or not, byte for byte, and the
// silent argument alone. A program that has been moved no longer matches, as with the Run value.
bool IsLogonTaskActionFor(std::string_view command, std::string_view arguments,
                          std::string_view programPath);
