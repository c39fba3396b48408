// What the autostart registration stores, and what the user is told when Windows refuses it.
#pragma once

#include <string>
#include <string_view>

// The machine-wide list of programs that Windows starts at every logon.
inline constexpr std::string_view kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// The program's entry in that list; also the caption of the failure messages.
inline constexpr std::string_view kAutostartValueName = "Quelan_Tikora";

// The command Windows runs at logon: the program's full path and the argument 1, which
// selects the silent mode. The path is not quoted, even when it holds spaces, so that the
// registration reads exactly as the program has always written it.
std::string AutostartCommand(std::string_view appFolder, std::string_view appFileName);

enum class AutostartChange { Adding, Clearing };

// The five-line message shown when the registry refused a change: lines joined by CR LF,
// with no line break after the last. The two messages differ only in their first line.
std::string AutostartFailureText(AutostartChange change);
