// Process entry: keeps the DLL search to the system folder, records the arguments, runs the
// application, ends with its status.
#include <windows.h>

#include "app/win/init_application.h"
#include "core/win/program_arguments.h"
#include "core/win/system_library.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before anything else loads a DLL: the program runs as administrator from wherever it was
    // saved, and Windows would look in that folder first.
    RestrictDllSearchToSystemFolder();
    RecordProgramArguments(ProcessArguments());
    const std::wstring joined = JoinedProgramArguments();
    return InitApplication(instance, nullptr, joined.c_str(), SW_SHOWNORMAL);
}
