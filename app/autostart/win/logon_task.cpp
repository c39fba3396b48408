// The logon task in the Task Scheduler: registering it for a program, asking after it, deleting
// it.
#include "app/autostart/win/logon_task.h"

#include <windows.h>

#include <taskschd.h>

#include <sddl.h>

#include <string>

#include "app/autostart/autostart_entry.h"
#include "app/autostart/logon_task_definition.h"
#include "app/autostart/win/com_ownership.h"
#include "core/win/security_descriptor.h"
#include "core/win/wide_text.h"

namespace {

// What the scheduler answers for a task name it does not hold.
const HRESULT kTaskMissing = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

// The task's own permissions: SYSTEM and Administrators may change or delete it, other users
// who have logged on may only see it. Given explicitly, so that what runs as SYSTEM at every
// logon can never be changed by the user who happened to register it unelevated, or by whoever
// made a task of that name before.
constexpr wchar_t kTaskSddl[] = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FRFX;;;AU)";

UniqueBstr MakeBstr(std::wstring_view text) {
    return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

std::string NarrowBstr(BSTR text) {
    return Narrow(std::wstring_view(text, SysStringLen(text)));
}

// An omitted optional argument.
VARIANT NoValue() {
    VARIANT value;
    VariantInit(&value);
    return value;
}

// A text argument; the BSTR stays its owner's.
VARIANT TextValue(BSTR text) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = text;
    return value;
}

// The scheduler's root folder, through the Task Scheduler 2.0 service on this machine, as the
// calling user. taskschd.dll is loaded by COM from the system folder.
UniqueComPtr<ITaskFolder> OpenRootFolder() {
    ITaskService* rawService = nullptr;
    if (FAILED(CoCreateInstance(__uuidof(TaskScheduler), nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&rawService)))) {
        return {};
    }
    const UniqueComPtr<ITaskService> service(rawService);
    if (FAILED(service.get()->Connect(NoValue(), NoValue(), NoValue(), NoValue()))) {
        return {};
    }
    const UniqueBstr root = MakeBstr(L"\\");
    ITaskFolder* folder = nullptr;
    if (!root || FAILED(service.get()->GetFolder(root.get(), &folder))) {
        return {};
    }
    return UniqueComPtr<ITaskFolder>(folder);
}

UniqueBstr TaskName() {
    return MakeBstr(Widen(kLogonTaskName));
}

// The registered task; empty when it is missing or the scheduler cannot be asked.
UniqueComPtr<IRegisteredTask> GetLogonTask(ITaskFolder* folder) {
    const UniqueBstr name = TaskName();
    IRegisteredTask* task = nullptr;
    if (!name || FAILED(folder->GetTask(name.get(), &task))) {
        return {};
    }
    return UniqueComPtr<IRegisteredTask>(task);
}

HRESULT DeleteTaskIn(ITaskFolder* folder) {
    const UniqueBstr name = TaskName();
    return name ? folder->DeleteTask(name.get(), 0) : E_OUTOFMEMORY;
}

// True when the account is LocalSystem: the scheduler may give it back as its SID or by a name.
bool IsLocalSystem(const std::wstring& account) {
    PSID sid = nullptr;
    if (account.rfind(L"S-", 0) == 0 && ConvertStringSidToSidW(account.c_str(), &sid)) {
        const UniqueLocalMemory owned(sid);
        return IsWellKnownSid(sid, WinLocalSystemSid) != FALSE;
    }
    BYTE named[SECURITY_MAX_SID_SIZE] = {};
    DWORD namedBytes = sizeof(named);
    wchar_t domain[256] = {};
    DWORD domainChars = 256;
    SID_NAME_USE use{};
    return !account.empty() &&
           LookupAccountNameW(nullptr, account.c_str(), named, &namedBytes, domain, &domainChars,
                              &use) &&
           IsWellKnownSid(named, WinLocalSystemSid);
}

bool RunsAsSystem(ITaskDefinition* definition) {
    IPrincipal* rawPrincipal = nullptr;
    if (FAILED(definition->get_Principal(&rawPrincipal)) || rawPrincipal == nullptr) {
        return false;
    }
    const UniqueComPtr<IPrincipal> principal(rawPrincipal);
    BSTR rawUser = nullptr;
    const HRESULT status = principal.get()->get_UserId(&rawUser);
    const UniqueBstr user(rawUser);
    return SUCCEEDED(status) && user &&
           IsLocalSystem(std::wstring(user.get(), SysStringLen(user.get())));
}

// True when an enabled trigger starts the task at logon.
bool StartsAtLogon(ITaskDefinition* definition) {
    ITriggerCollection* rawTriggers = nullptr;
    if (FAILED(definition->get_Triggers(&rawTriggers))) {
        return false;
    }
    const UniqueComPtr<ITriggerCollection> triggers(rawTriggers);
    LONG count = 0;
    if (FAILED(triggers.get()->get_Count(&count))) {
        return false;
    }
    for (LONG index = 1; index <= count; ++index) {  // the collection counts from 1
        ITrigger* rawTrigger = nullptr;
        if (FAILED(triggers.get()->get_Item(index, &rawTrigger))) {
            continue;
        }
        const UniqueComPtr<ITrigger> trigger(rawTrigger);
        TASK_TRIGGER_TYPE2 type{};
        VARIANT_BOOL enabled = VARIANT_FALSE;
        if (SUCCEEDED(trigger.get()->get_Type(&type)) && type == TASK_TRIGGER_LOGON &&
            SUCCEEDED(trigger.get()->get_Enabled(&enabled)) && enabled == VARIANT_TRUE) {
            return true;
        }
    }
    return false;
}

// The one action of a task when it starts a program: its command and arguments.
bool ReadSoleExecAction(ITaskDefinition* definition, std::string& command, std::string& arguments) {
    IActionCollection* rawActions = nullptr;
    if (FAILED(definition->get_Actions(&rawActions))) {
        return false;
    }
    const UniqueComPtr<IActionCollection> actions(rawActions);
    LONG count = 0;
    if (FAILED(actions.get()->get_Count(&count)) || count != 1) {
        return false;
    }
    IAction* rawAction = nullptr;
    if (FAILED(actions.get()->get_Item(1, &rawAction))) {  // the collection counts from 1
        return false;
    }
    const UniqueComPtr<IAction> action(rawAction);
    IExecAction* rawExec = nullptr;
    if (FAILED(action.get()->QueryInterface(IID_PPV_ARGS(&rawExec)))) {
        return false;
    }
    const UniqueComPtr<IExecAction> exec(rawExec);
    BSTR rawPath = nullptr;
    BSTR rawArguments = nullptr;
    const HRESULT pathStatus = exec.get()->get_Path(&rawPath);
    const UniqueBstr path(rawPath);
    const HRESULT argumentsStatus = exec.get()->get_Arguments(&rawArguments);
    const UniqueBstr argumentText(rawArguments);
    if (FAILED(pathStatus) || FAILED(argumentsStatus)) {
        return false;
    }
    command = NarrowBstr(path.get());
    arguments = NarrowBstr(argumentText.get());
    return true;
}

}  // namespace

bool RegisterLogonTask(std::string_view programPath) {
    const ComScope com;
    if (!com.Usable()) {
        return false;
    }
    const UniqueComPtr<ITaskFolder> folder = OpenRootFolder();
    const UniqueBstr name = TaskName();
    const UniqueBstr xml = MakeBstr(Widen(LogonTaskXml(programPath)));
    if (!folder || !name || !xml) {
        return false;
    }
    const UniqueBstr sddl = MakeBstr(kTaskSddl);
    if (!sddl) {
        return false;
    }
    // A task of that name goes first, whoever made it: updated, it would keep its own
    // permissions. Then the task is made anew, and one that appeared meanwhile is not taken over.
    const HRESULT deleted = DeleteTaskIn(folder.get());
    if (FAILED(deleted) && deleted != kTaskMissing) {
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
    const UniqueComPtr<ITaskFolder> folder = OpenRootFolder();
    return folder && GetLogonTask(folder.get());
}

std::optional<std::string> LogonTaskSystemProgram() {
    const ComScope com;
    if (!com.Usable()) {
        return std::nullopt;
    }
    const UniqueComPtr<ITaskFolder> folder = OpenRootFolder();
    const UniqueComPtr<IRegisteredTask> task =
        folder ? GetLogonTask(folder.get()) : UniqueComPtr<IRegisteredTask>();
    ITaskDefinition* rawDefinition = nullptr;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    if (!task || FAILED(task.get()->get_Enabled(&enabled)) || enabled != VARIANT_TRUE ||
        FAILED(task.get()->get_Definition(&rawDefinition))) {
        return std::nullopt;
    }
    const UniqueComPtr<ITaskDefinition> definition(rawDefinition);
    std::string command;
    std::string arguments;
    if (!RunsAsSystem(definition.get()) || !StartsAtLogon(definition.get()) ||
        !ReadSoleExecAction(definition.get(), command, arguments)) {
        return std::nullopt;
    }
    // The action read as one command line, so that it is judged as the Run value is.
    const std::string line = command + ' ' + arguments;
    const std::optional<SilentCommandProgram> program = ProgramOfSilentCommand(line);
    if (!program) {
        return std::nullopt;
    }
    return std::string(program->Path);
}

bool DeleteLogonTask() {
    const ComScope com;
    if (!com.Usable()) {
        return false;
    }
    const UniqueComPtr<ITaskFolder> folder = OpenRootFolder();
    if (!folder) {
        return false;
    }
    const HRESULT status = DeleteTaskIn(folder.get());
    return SUCCEEDED(status) || status == kTaskMissing;
}
