// Process entry: records the arguments, runs the application, ends with its status.
#include <windows.h>

#include "app/win/init_application.h"
#include "core/win/program_arguments.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    RecordProgramArguments(ProcessArguments());
    const std::wstring joined = JoinedProgramArguments();
    return InitApplication(instance, nullptr, joined.c_str(), SW_SHOWNORMAL);
}
