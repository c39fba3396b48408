// What the autostart registration stores, and what the user is told when Windows refuses it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The machine-wide list of programs that Windows starts at every logon.
inline constexpr std::string_view kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// The program's entry in that list; also the caption of the failure messages.
inline constexpr std::string_view kAutostartValueName = "Quelan_Tikora";

// The command Windows runs at logon: the program's full path in quotes and the argument 1,
// which selects the silent mode. Unquoted, a path with spaces would be read by Windows as a
// shorter program followed by arguments (C:\My Tools\clock.exe starts C:\My.exe).
std::string AutostartCommand(std::string_view programPath);

// The program that a command starts with the argument 1 alone, in either form this program has
// written: the quoted one ("path" 1) or the older unquoted one (path 1).
struct SilentCommandProgram {
    std::string_view Path;
    bool Quoted = false;
};
// nullopt for any other command: another argument or none, a quote left open, an empty path.
// The path is returned as written; whether it is this program's is for the caller to compare,
// as Windows compares paths.
std::optional<SilentCommandProgram> ProgramOfSilentCommand(std::string_view command);

enum class AutostartChange { Adding, Clearing };

// The five-line message shown when Windows refused a change: lines joined by CR LF, with no
// line break after the last. The two messages differ only in their first line.
std::string AutostartFailureText(AutostartChange change);
