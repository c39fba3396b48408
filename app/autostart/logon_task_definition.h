// The Task Scheduler task that starts the protected copy silently, as SYSTEM, when anyone logs on.
#pragma once

#include <string>
#include <string_view>

#include "app/autostart/autostart_entry.h"

// The task lives in the scheduler's root folder under the same name as the Run value.
inline constexpr std::string_view kLogonTaskName = kAutostartValueName;
// The argument that selects the silent mode.
inline constexpr std::string_view kLogonTaskArguments = "1";

// The task's XML definition (task schema 1.2, Windows Vista and later): run the program at
// programPath (the protected copy, a full path in UTF-8) as SYSTEM at every logon. The text
// stays UTF-8 here, but its declaration names UTF-16: the scheduler is handed the definition as
// a wide string.
std::string LogonTaskXml(std::string_view programPath);
