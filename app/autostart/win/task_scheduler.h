// The Task Scheduler through COM: its folders and the logon task in them, and the small
// conversions the scheduler's interfaces need. Shared by registering the task and reading it back;
// every call needs COM set up on the thread (ComScope).
#pragma once

#include <windows.h>

#include <taskschd.h>

#include <string>
#include <string_view>

#include "app/autostart/win/com_ownership.h"

// What the scheduler answers for a task name it does not hold, and for a folder it does not hold.
inline const HRESULT kTaskMissing = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
inline const HRESULT kFolderMissing = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);

UniqueBstr MakeBstr(std::wstring_view text);
std::string NarrowBstr(BSTR text);
// An omitted optional argument.
VARIANT NoValue();
// A text argument; the BSTR stays its owner's.
VARIANT TextValue(BSTR text);

// The scheduler's root folder, through the Task Scheduler 2.0 service on this machine, as the
// calling user; empty when the scheduler cannot be reached.
UniqueComPtr<ITaskFolder> OpenRootFolder();

// kLogonTaskName and kLogonTaskFolder (app/autostart/logon_task_definition.h) as BSTRs.
UniqueBstr TaskName();
UniqueBstr FolderName();

// The task's own folder under the root; empty, with the scheduler's answer in status, when it is
// missing or cannot be had.
UniqueComPtr<ITaskFolder> GetTaskFolder(ITaskFolder* root, HRESULT& status);

// The task of that name in folder; empty when it is missing or the scheduler cannot be asked.
UniqueComPtr<IRegisteredTask> GetLogonTask(ITaskFolder* folder);
// The same in its own folder.
UniqueComPtr<IRegisteredTask> GetLogonTaskInItsFolder();
