// Whether HTTPS has ever answered a silent correction on this computer.
#include "core/win/https_record.h"

#include <windows.h>

#include "core/win/registry_key.h"
#include "core/win/security_descriptor.h"

namespace {

// Protected from what HKLM\SOFTWARE would pass on: SYSTEM and Administrators full control,
// Users read.
constexpr wchar_t kRecordSddl[] = L"D:P(A;OICI;KA;;;SY)(A;OICI;KA;;;BA)(A;OICI;KR;;;BU)";
constexpr DWORD kRecorded = 1;

}  // namespace

bool RecordHttpsAnswered() {
    const UniqueLocalMemory descriptor = DescriptorFromSddl(kRecordSddl);
    if (!descriptor) {
        return false;
    }
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.get(), FALSE};
    HKEY rawKey = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kHttpsRecordKeyPath, 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | KEY_WOW64_32KEY, &attributes,
                        &rawKey, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const UniqueRegistryKey key(rawKey);
    return RegSetValueExW(key.get(), kHttpsRecordValueName, 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&kRecorded),
                          sizeof(kRecorded)) == ERROR_SUCCESS;
}

bool HttpsHasAnswered() {
    HKEY rawKey = nullptr;
    const LONG opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kHttpsRecordKeyPath, 0,
                                      KEY_QUERY_VALUE | KEY_WOW64_32KEY, &rawKey);
    if (opened != ERROR_SUCCESS) {
        return opened != ERROR_FILE_NOT_FOUND;
    }
    const UniqueRegistryKey key(rawKey);
    DWORD value = 0;
    DWORD bytes = sizeof(value);
    const LONG read = RegQueryValueExW(key.get(), kHttpsRecordValueName, nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(&value), &bytes);
    return read != ERROR_FILE_NOT_FOUND;
}

bool RemoveHttpsRecord() {
    const LONG status =
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kHttpsRecordKeyPath, KEY_WOW64_32KEY, 0);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}
