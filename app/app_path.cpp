// Splitting the program's full path into its folder and its file name.
#include "app/app_path.h"

AppPathParts SplitAppPath(std::string_view fullPath) {
    // A colon counts too, so that a drive-relative path such as "C:clock.exe" keeps its drive.
    const std::size_t lastSeparator = fullPath.find_last_of(":/\\");
    if (lastSeparator == std::string_view::npos) {
        return {std::string(), std::string(fullPath)};
    }
    const std::size_t folderBytes = lastSeparator + 1;
    return {std::string(fullPath.substr(0, folderBytes)),
            std::string(fullPath.substr(folderBytes))};
}
