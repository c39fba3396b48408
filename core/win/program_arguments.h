// The command-line arguments recorded by the process entry, for the choice of mode.
#pragma once

#include <string>
#include <vector>

// Records the arguments without the program's own name.
void RecordProgramArguments(std::vector<std::wstring> arguments);
// The recorded arguments joined with single blanks; empty when there are none.
std::wstring JoinedProgramArguments();
// The arguments of this process's own command line, without the program's name.
std::vector<std::wstring> ProcessArguments();
