// The command-line arguments recorded by the process entry, for the choice of mode.
#include "core/win/program_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include "core/scope_exit.h"

namespace {

// Written once by the process entry before any other thread exists.
std::vector<std::wstring> recordedArguments;

}  // namespace

void RecordProgramArguments(std::vector<std::wstring> arguments) {
    recordedArguments = std::move(arguments);
}

std::wstring JoinedProgramArguments() {
    std::wstring joined;
    for (size_t index = 0; index < recordedArguments.size(); ++index) {
        if (index > 0) {
            joined += L' ';
        }
        joined += recordedArguments[index];
    }
    return joined;
}

std::vector<std::wstring> ProcessArguments() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) {
        return {};
    }
    const auto release = MakeScopeExit([&] { LocalFree(arguments); });
    // The first entry is the program's own name.
    std::vector<std::wstring> result;
    for (int index = 1; index < count; ++index) {
        result.emplace_back(arguments[index]);
    }
    return result;
}
