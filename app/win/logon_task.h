// The logon task in the Task Scheduler: registering it for a program, asking after it, deleting
// it. Each call sets up COM for itself, so the UI thread and workers alike may call; failures
// come back as false.
#pragma once

#include <string_view>

// Creates the task kLogonTaskName (app/logon_task_definition.h), or replaces the one of that
// name, to run the program at programPath (a full path, UTF-8) silently when anyone logs on,
// with the highest privileges the user has. True only when the scheduler accepted the whole
// definition; a task it kept with a warning is deleted again.
bool RegisterLogonTask(std::string_view programPath);

// True when the scheduler holds a task of that name, whatever it runs. False too when the
// scheduler cannot be asked: judge a removal by DeleteLogonTask's answer instead.
bool LogonTaskExists();

// True when the task exists and its one action runs programPath with the silent argument. A
// task whose actions cannot be read counts as running something else (Wine keeps none).
bool LogonTaskRunsProgram(std::string_view programPath);

// Deletes the task; true when none is left, including when there was none to begin with.
bool DeleteLogonTask();
