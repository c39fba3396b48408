// The logon task in the Task Scheduler: registering it for a program, asking after it, deleting
// it. Each call sets up COM for itself, so the UI thread and workers alike may call; failures
// come back as false.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Creates the task kLogonTaskName (app/autostart/logon_task_definition.h) to run the program at
// programPath (the protected copy, a full path, UTF-8) silently as SYSTEM when anyone logs on,
// with permissions of its own that let only SYSTEM and Administrators change it. A task of that
// name is deleted first, whoever made it. Only an administrator may. True only when the
// scheduler accepted the whole definition; a task it kept with a warning is deleted again.
bool RegisterLogonTask(std::string_view programPath);

// True when the scheduler holds a task of that name, whatever it runs. False too when the
// scheduler cannot be asked: judge a removal by DeleteLogonTask's answer instead.
bool LogonTaskExists();

// The program that the task runs as SYSTEM with the silent argument alone at logon, as its one
// action names it (quoted or not, the quotes taken off); nullopt when there is no task, or it is
// disabled, has no enabled logon trigger, runs as another account or runs anything else. A task
// whose principal, triggers or actions cannot be read counts as running something else (Wine keeps
// none of them).
std::optional<std::string> LogonTaskSystemProgram();

// Deletes the task; true when none is left, including when there was none to begin with.
bool DeleteLogonTask();
