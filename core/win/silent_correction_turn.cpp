// One silent correction at a time on the whole computer: a mutex that only SYSTEM and
// administrators can make or hold.
#include <windows.h>

#include <utility>

#include "core/win/kernel_handle.h"
#include "core/win/security_descriptor.h"
#include "core/win/silent_correction.h"
#include "core/win/system_library.h"
#include "core/win/unique_handle.h"

namespace {

// A private namespace whose boundary holds the Administrators group: only a process whose token
// holds that group (an elevated administrator, SYSTEM) can make or open it, in whatever session
// it runs. The logon task's instance runs as SYSTEM in session 0, the Run value's (where Windows
// runs it) in the user's session, and a second user's logon starts another task instance; all
// of them meet here. A name in the Global namespace would not do: any process can make one and
// hold it, and a standard user holding it would stop every logon correction.
constexpr wchar_t kNamespaceName[] = L"Quelan_Tikora";
constexpr wchar_t kTurnName[] = L"Quelan_Tikora\\SilentCorrection";
// Where Windows cannot make a boundary (every Windows since Vista can; Wine cannot), the
// machine-wide name of before.
constexpr wchar_t kGlobalTurnName[] = L"Global\\Quelan_Tikora_SilentCorrection";
// The namespace and the mutex: SYSTEM and Administrators may open them, nobody else.
constexpr wchar_t kAdministratorsOnlySddl[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";
// The namespace can vanish between a failed make and the open (its last holder ended): made
// again a few times.
constexpr int kNamespaceAttempts = 3;

struct BoundaryTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type boundary) { DeleteBoundaryDescriptor(boundary); }
};
using UniqueBoundary = UniqueHandle<BoundaryTraits>;

struct NamespaceTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type privateNamespace) { ClosePrivateNamespace(privateNamespace, 0); }
};
using UniqueNamespace = UniqueHandle<NamespaceTraits>;

// The turn this process took, and the namespace it lies in. Never given back: the process ends
// right after its correction, and the system releases the mutex then.
UniqueNamespace heldNamespace;
UniqueKernelHandle heldTurn;

// The boundary also names the high integrity level, where Windows can (7 and later): a process
// can make a namespace only at or below its own level, so no process at a lower one can make this
// one first, even with the group in its token. SYSTEM (system level) and an elevated
// administrator (high) both make and open it; every instance adds the same label, so they meet.
using AddIntegrityLabel = BOOL(WINAPI*)(HANDLE* boundary, PSID label);

bool AddHighIntegrityLabel(HANDLE* boundary) {
    const auto addLabel = SystemLibraryEntry<AddIntegrityLabel>(
        GetModuleHandleW(L"kernel32.dll"), "AddIntegrityLabelToBoundaryDescriptor");
    if (addLabel == nullptr) {
        return true;  // Vista: the group alone bounds the namespace
    }
    BYTE label[SECURITY_MAX_SID_SIZE] = {};
    DWORD labelBytes = sizeof(label);
    return CreateWellKnownSid(WinHighLabelSid, nullptr, label, &labelBytes) &&
           addLabel(boundary, label);
}

UniqueNamespace MakeOrOpenNamespace(HANDLE boundary, SECURITY_ATTRIBUTES* attributes) {
    for (int attempt = 0; attempt < kNamespaceAttempts; ++attempt) {
        if (HANDLE made = CreatePrivateNamespaceW(attributes, boundary, kNamespaceName)) {
            return UniqueNamespace(made);
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return {};
        }
        if (HANDLE opened = OpenPrivateNamespaceW(boundary, kNamespaceName)) {
            return UniqueNamespace(opened);
        }
    }
    return {};
}

// Takes the mutex of that name when nobody holds it; false when another process does.
bool TakeTurnNamed(const wchar_t* name, SECURITY_ATTRIBUTES* attributes, bool deniedIsHeld) {
    UniqueKernelHandle turn(CreateMutexW(attributes, FALSE, name));
    if (!turn) {
        return !(deniedIsHeld && GetLastError() == ERROR_ACCESS_DENIED);
    }
    // Whether it existed already says nothing: an instance that gave up may keep it alive
    // after its holder has ended. Only the wait tells whether it is held, and it takes over a
    // turn whose holder ended without giving it back (WAIT_ABANDONED).
    if (WaitForSingleObject(turn.get(), 0) == WAIT_TIMEOUT) {
        return false;
    }
    heldTurn = std::move(turn);
    return true;
}

}  // namespace

bool TakeSilentCorrectionTurn() {
    UniqueBoundary boundary(CreateBoundaryDescriptorW(kNamespaceName, 0));
    if (!boundary) {
        // The name of before. Access denied there: the mutex was made by a process we may not
        // touch (SYSTEM's gives an administrator no full access), an instance with other
        // rights: held.
        return TakeTurnNamed(kGlobalTurnName, nullptr, true);
    }
    const UniqueLocalMemory descriptor = DescriptorFromSddl(kAdministratorsOnlySddl);
    BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
    DWORD administratorsBytes = sizeof(administrators);
    HANDLE rawBoundary = boundary.release();  // the call may replace it with a larger one
    const bool bounded = CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators,
                                            &administratorsBytes) &&
                         AddSIDToBoundaryDescriptor(&rawBoundary, administrators) &&
                         AddHighIntegrityLabel(&rawBoundary);
    boundary.reset(rawBoundary);
    if (!descriptor || !bounded) {
        return true;  // the guard failed: it must not keep the clock from being corrected
    }
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.get(), FALSE};
    UniqueNamespace privateNamespace = MakeOrOpenNamespace(boundary.get(), &attributes);
    if (!privateNamespace) {
        // Not an administrator nor SYSTEM (no other process can be in there either), or the
        // namespace failed: nobody can hold the turn against this process, so it takes none.
        return true;
    }
    // Nobody but SYSTEM and administrators can be in the namespace, so a refusal is no holder.
    if (!TakeTurnNamed(kTurnName, &attributes, false)) {
        return false;
    }
    heldNamespace = std::move(privateNamespace);
    return true;
}
