// The logon task in the Task Scheduler, in its own task folder: registering it for a program,
// asking whether it is there, deleting it.
#include "app/autostart/win/logon_task.h"

#include <string>

#include "app/autostart/logon_task_definition.h"
#include "app/autostart/win/task_scheduler.h"
#include "core/win/wide_text.h"

namespace {

const HRESULT kFolderExists = HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);

// The task's own permissions: SYSTEM and Administrators may change or delete it, other users
// who have logged on may only see it, not run it on demand. Given explicitly, so that what runs
// as SYSTEM at every logon can never be changed by the user who happened to register it
// unelevated, or by whoever made a task of that name before.
constexpr wchar_t kTaskSddl[] = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FR;;;AU)";
// The task folder's: only SYSTEM and Administrators may make or change tasks in it, so nobody
// else can take the task's name before a tick, or hold it against one. Anyone may make tasks in
// the root folder.
constexpr wchar_t kFolderSddl[] = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FR;;;AU)";

HRESULT DeleteTaskIn(ITaskFolder* folder) {
    const UniqueBstr name = TaskName();
    return name ? folder->DeleteTask(name.get(), 0) : E_OUTOFMEMORY;
}

bool DeletedOrMissing(HRESULT status) {
    return SUCCEEDED(status) || status == kTaskMissing;
}

// A task of that name in the root folder, as older versions registered it. The folder bears its
// name, and the scheduler keeps folders and tasks under one set of names: the folder can be made
// only once it is gone. Asked for as a task, so that the folder itself is never taken for one.
bool RemoveRootTask(ITaskFolder* root) {
    return !GetLogonTask(root) || DeletedOrMissing(DeleteTaskIn(root));
}

// The task's folder, with kFolderSddl. One that is there already, left by an earlier
// registration or made by someone else, is made anew once empty of the task; one that still holds
// other tasks is given the folder's permissions instead, and refused when that is refused.
UniqueComPtr<ITaskFolder> MakeTaskFolder(ITaskFolder* root) {
    const UniqueBstr name = FolderName();
    const UniqueBstr sddl = MakeBstr(kFolderSddl);
    if (!name || !sddl) {
        return {};
    }
    ITaskFolder* made = nullptr;
    HRESULT status = root->CreateFolder(name.get(), TextValue(sddl.get()), &made);
    if (SUCCEEDED(status)) {
        return UniqueComPtr<ITaskFolder>(made);
    }
    UniqueComPtr<ITaskFolder> existing =
        status == kFolderExists ? GetTaskFolder(root, status) : UniqueComPtr<ITaskFolder>();
    if (!existing || !DeletedOrMissing(DeleteTaskIn(existing.get()))) {
        return {};
    }
    if (SUCCEEDED(root->DeleteFolder(name.get(), 0)) &&
        SUCCEEDED(root->CreateFolder(name.get(), TextValue(sddl.get()), &made))) {
        return UniqueComPtr<ITaskFolder>(made);
    }
    if (FAILED(existing.get()->SetSecurityDescriptor(sddl.get(), 0))) {
        return {};
    }
    return existing;
}

}  // namespace

bool RegisterLogonTask(std::string_view programPath) {
    const ComScope com;
    if (!com.Usable()) {
        return false;
    }
    const UniqueComPtr<ITaskFolder> root = OpenRootFolder();
    const UniqueBstr name = TaskName();
    const UniqueBstr xml = MakeBstr(Widen(LogonTaskXml(programPath)));
    const UniqueBstr sddl = MakeBstr(kTaskSddl);
    if (!root || !name || !xml || !sddl || !RemoveRootTask(root.get())) {
        return false;
    }
    // The folder holds no task of that name now, whoever made one: updated, it would keep its
    // own permissions. The task is made anew, and one that appeared meanwhile is not taken over.
    const UniqueComPtr<ITaskFolder> folder = MakeTaskFolder(root.get());
    if (!folder) {
        return false;
    }
    // The account is the definition's principal, SYSTEM; a service account is registered with
    // its own logon type and no password. Only an administrator may register such a task.
    IRegisteredTask* rawTask = nullptr;
    const HRESULT status =
        folder.get()->RegisterTask(name.get(), xml.get(), TASK_CREATE, NoValue(), NoValue(),
                                   TASK_LOGON_SERVICE_ACCOUNT, TextValue(sddl.get()), &rawTask);
    const UniqueComPtr<IRegisteredTask> task(rawTask);
    if (status == S_OK) {
        return true;
    }
    // Kept with a warning (a trigger that will not start it, a logon right it lacks): it would
    // promise a start that does not come, so it goes again.
    if (SUCCEEDED(status)) {
        DeleteTaskIn(folder.get());
    }
    return false;
}

bool LogonTaskExists() {
    const ComScope com;
    if (!com.Usable()) {
        return false;
    }
    return static_cast<bool>(GetLogonTaskInItsFolder());
}

bool DeleteLogonTask() {
    const ComScope com;
    if (!com.Usable()) {
        return false;
    }
    const UniqueComPtr<ITaskFolder> root = OpenRootFolder();
    if (!root) {
        return false;
    }
    // An older version's task in the root folder goes too. One that stays (a user's own of that
    // name) runs nothing of this program's once the copy is gone, and leaves no room for the
    // folder: there is no task of this program's to delete then.
    const bool rootTaskStays = !RemoveRootTask(root.get());
    HRESULT status = S_OK;
    const UniqueComPtr<ITaskFolder> folder = GetTaskFolder(root.get(), status);
    if (!folder) {
        return rootTaskStays || status == kFolderMissing || status == kTaskMissing;
    }
    if (!DeletedOrMissing(DeleteTaskIn(folder.get()))) {
        return false;
    }
    // Only an empty folder can go; one that holds anything else stays.
    const UniqueBstr name = FolderName();
    if (name) {
        root.get()->DeleteFolder(name.get(), 0);
    }
    return true;
}
