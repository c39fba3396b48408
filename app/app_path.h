// Splitting the program's full path into its folder and its file name.
#pragma once

#include <string>
#include <string_view>

struct AppPathParts {
    // Up to and including the last ':', '/' or '\\'; empty when the path holds none.
    std::string Folder;
    // Everything after that separator. Folder + FileName is always the full path again,
    // which the autostart command relies on.
    std::string FileName;
};

// Works on UTF-8 bytes: no byte of a multi-byte UTF-8 sequence can be mistaken for one of
// the three ASCII separators.
AppPathParts SplitAppPath(std::string_view fullPath);
