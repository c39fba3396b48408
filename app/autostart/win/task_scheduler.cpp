// The Task Scheduler through COM: its folders and the logon task in them.
#include "app/autostart/win/task_scheduler.h"

#include "app/autostart/logon_task_definition.h"
#include "core/win/wide_text.h"

UniqueBstr MakeBstr(std::wstring_view text) {
    return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

std::string NarrowBstr(BSTR text) {
    return Narrow(std::wstring_view(text, SysStringLen(text)));
}

VARIANT NoValue() {
    VARIANT value;
    VariantInit(&value);
    return value;
}

VARIANT TextValue(BSTR text) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = text;
    return value;
}

// taskschd.dll is loaded by COM from the system folder.
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

UniqueBstr FolderName() {
    return MakeBstr(Widen(kLogonTaskFolder));
}

UniqueComPtr<ITaskFolder> GetTaskFolder(ITaskFolder* root, HRESULT& status) {
    const UniqueBstr name = FolderName();
    ITaskFolder* folder = nullptr;
    status = name ? root->GetFolder(name.get(), &folder) : E_OUTOFMEMORY;
    return SUCCEEDED(status) ? UniqueComPtr<ITaskFolder>(folder) : UniqueComPtr<ITaskFolder>();
}

UniqueComPtr<IRegisteredTask> GetLogonTask(ITaskFolder* folder) {
    const UniqueBstr name = TaskName();
    IRegisteredTask* task = nullptr;
    if (!name || FAILED(folder->GetTask(name.get(), &task))) {
        return {};
    }
    return UniqueComPtr<IRegisteredTask>(task);
}

UniqueComPtr<IRegisteredTask> GetLogonTaskInItsFolder() {
    const UniqueComPtr<ITaskFolder> root = OpenRootFolder();
    HRESULT status = S_OK;
    const UniqueComPtr<ITaskFolder> folder =
        root ? GetTaskFolder(root.get(), status) : UniqueComPtr<ITaskFolder>();
    return folder ? GetLogonTask(folder.get()) : UniqueComPtr<IRegisteredTask>();
}
