// A stand-in for a DLL planted beside the program: if it is ever loaded, it leaves a marker file
// beside itself (its own path + ".loaded"), so the test sees which of its copies got in.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) {
        return TRUE;
    }
    wchar_t path[MAX_PATH] = {};
    const DWORD lengthChars = GetModuleFileNameW(self, path, MAX_PATH);
    if (lengthChars == 0 || lengthChars >= MAX_PATH) {
        return TRUE;
    }
    const std::wstring marker = std::wstring(path, lengthChars) + L".loaded";
    const HANDLE file =
        CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    return TRUE;
}
