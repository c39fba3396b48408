// The logon task in the Task Scheduler: registering it for a program, asking after it, deleting
// it. Each call sets up COM for itself, so the UI thread and workers alike may call; failures
// come back as false.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Creates the task kLogonTaskName in the task folder kLogonTaskFolder
// (app/autostart/logon_task_definition.h) to run the program at programPath (the protected copy,
// a full path, UTF-8) silently as SYSTEM when anyone logs on and when the computer wakes. The
// task and its folder have permissions of their own that let only SYSTEM and Administrators
// change them; other users may read the task, not run it. A task of that name in the folder is
// deleted first, whoever made it, and so is one in the root folder, where older versions put it.
// Only an administrator may. True only when the scheduler accepted the whole definition; a task
// it kept with a warning is deleted again.
bool RegisterLogonTask(std::string_view programPath);

// True when the scheduler holds a task of that name in the folder, whatever it runs. False too
// when the scheduler cannot be asked: judge a removal by DeleteLogonTask's answer instead.
bool LogonTaskExists();

// The program that the task in the folder runs as SYSTEM with the silent argument alone at logon
// and on resume, as its one action names it (quoted or not, the quotes taken off); nullopt when
// there is no task, or it is disabled, lacks an enabled logon trigger or an enabled trigger on
// the resume event (kResumeEventQuery), runs as another account or runs anything else. A task
// whose principal, triggers or actions cannot be read counts as running something else (Wine
// keeps none of them).
std::optional<std::string> LogonTaskSystemProgram();

// Deletes the task, its folder when that is left empty, and a task of that name in the root
// folder; true when no task is left in the folder, including when there was none to begin with.
bool DeleteLogonTask();
