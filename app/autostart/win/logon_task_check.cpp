// Reading the logon task back from the Task Scheduler: what it runs, as whom and when.
#include "app/autostart/win/logon_task.h"

#include <windows.h>

#include <sddl.h>

#include <string>

#include "app/autostart/autostart_entry.h"
#include "app/autostart/logon_task_definition.h"
#include "app/autostart/win/task_scheduler.h"
#include "core/win/security_descriptor.h"
#include "core/win/wide_text.h"

namespace {

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

// The event trigger's interface, which MinGW's taskschd.h lacks: its identifier, and the one
// method read, in the slot that follows ITrigger's own, as Windows declares it.
constexpr IID kEventTriggerId = {
    0xd45b0167, 0x9653, 0x4eef, {0xb9, 0x4f, 0x07, 0x32, 0xca, 0x7a, 0xf2, 0x51}};
struct EventTrigger : ITrigger {
    virtual HRESULT STDMETHODCALLTYPE get_Subscription(BSTR* query) = 0;
};

// The event log query of an event trigger; empty for a trigger of another kind.
std::wstring EventQueryOf(ITrigger* trigger) {
    void* rawEvent = nullptr;
    if (FAILED(trigger->QueryInterface(kEventTriggerId, &rawEvent))) {
        return {};
    }
    const UniqueComPtr<EventTrigger> event(static_cast<EventTrigger*>(rawEvent));
    BSTR rawQuery = nullptr;
    const HRESULT status = event.get()->get_Subscription(&rawQuery);
    const UniqueBstr query(rawQuery);
    return SUCCEEDED(status) && query ? std::wstring(query.get(), SysStringLen(query.get()))
                                      : std::wstring();
}

// True when enabled triggers start the task at logon and on the resume event.
bool StartsAtLogonAndOnResume(ITaskDefinition* definition) {
    ITriggerCollection* rawTriggers = nullptr;
    if (FAILED(definition->get_Triggers(&rawTriggers))) {
        return false;
    }
    const UniqueComPtr<ITriggerCollection> triggers(rawTriggers);
    LONG count = 0;
    if (FAILED(triggers.get()->get_Count(&count))) {
        return false;
    }
    const std::wstring resumeQuery = Widen(kResumeEventQuery);
    bool atLogon = false;
    bool onResume = false;
    for (LONG index = 1; index <= count; ++index) {  // the collection counts from 1
        ITrigger* rawTrigger = nullptr;
        if (FAILED(triggers.get()->get_Item(index, &rawTrigger))) {
            continue;
        }
        const UniqueComPtr<ITrigger> trigger(rawTrigger);
        TASK_TRIGGER_TYPE2 type{};
        VARIANT_BOOL enabled = VARIANT_FALSE;
        if (FAILED(trigger.get()->get_Type(&type)) ||
            FAILED(trigger.get()->get_Enabled(&enabled)) || enabled != VARIANT_TRUE) {
            continue;
        }
        atLogon = atLogon || type == TASK_TRIGGER_LOGON;
        onResume =
            onResume || (type == TASK_TRIGGER_EVENT && EventQueryOf(trigger.get()) == resumeQuery);
    }
    return atLogon && onResume;
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

std::optional<std::string> LogonTaskSystemProgram() {
    const ComScope com;
    if (!com.Usable()) {
        return std::nullopt;
    }
    const UniqueComPtr<IRegisteredTask> task = GetLogonTaskInItsFolder();
    ITaskDefinition* rawDefinition = nullptr;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    if (!task || FAILED(task.get()->get_Enabled(&enabled)) || enabled != VARIANT_TRUE ||
        FAILED(task.get()->get_Definition(&rawDefinition))) {
        return std::nullopt;
    }
    const UniqueComPtr<ITaskDefinition> definition(rawDefinition);
    std::string command;
    std::string arguments;
    if (!RunsAsSystem(definition.get()) || !StartsAtLogonAndOnResume(definition.get()) ||
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
