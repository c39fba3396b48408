// A stand-in rich-edit library for the DLL-planting test: placed next to the program under a
// rich-edit library's name, it ends the process with a telltale status if it is ever loaded.
#include <windows.h>

// Seen as the program's exit status when the planted copy was loaded.
constexpr UINT kPlantedLibraryLoaded = 77;

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        ExitProcess(kPlantedLibraryLoaded);
    }
    return TRUE;
}
