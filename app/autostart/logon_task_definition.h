// The Task Scheduler task that starts the protected copy silently, as SYSTEM, when anyone logs on
// and when the computer wakes.
#pragma once

#include <string>
#include <string_view>

#include "app/autostart/autostart_entry.h"

// The task lives in a task folder of its own under the root, \Quelan_Tikora\, and has the
// same name as the Run value, as the folder does. Older versions put it in the root folder.
inline constexpr std::string_view kLogonTaskFolder = kAutostartValueName;
inline constexpr std::string_view kLogonTaskName = kAutostartValueName;
// The argument that selects the silent mode.
inline constexpr std::string_view kLogonTaskArguments = "1";

// The event that starts the task when the computer wakes from sleep or hibernation: the System
// log's "returned from a low power state", as an event log query.
inline constexpr std::string_view kResumeEventQuery =
    R"(<QueryList><Query Id="0" Path="System"><Select Path="System">)"
    R"(*[System[Provider[@Name='Microsoft-Windows-Power-Troubleshooter'] and EventID=1]])"
    R"(</Select></Query></QueryList>)";

// The task's XML definition (task schema 1.2, Windows Vista and later): run the program at
// programPath (the protected copy, a full path in UTF-8) as SYSTEM at every logon and on every
// resume event. The text stays UTF-8 here, but its declaration names UTF-16: the scheduler is
// handed the definition as a wide string.
std::string LogonTaskXml(std::string_view programPath);
