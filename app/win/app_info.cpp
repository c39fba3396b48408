// The program's own module, folder and file name, filled once at start-up.
#include "app/win/app_info.h"

#include <utility>

#include "app/app_path.h"
#include "core/win/wide_text.h"

// Never destroyed: detached measurement workers may still run while the exit handlers do.
AppInformation& AppInfo = *new AppInformation{};

namespace {

// The longest path the wide API knows, in UTF-16 units plus the terminating zero.
constexpr DWORD kLongestPathChars = 32768;

}  // namespace

std::wstring ModuleFilePath(HMODULE module, DWORD initialChars) {
    DWORD capacityChars = initialChars > 0 ? initialChars : 1;
    for (;;) {
        std::wstring path(capacityChars, L'\0');
        const DWORD lengthChars = GetModuleFileNameW(module, path.data(), capacityChars);
        if (lengthChars == 0) {
            return {};
        }
        // A result that fills the whole buffer was cut: try again with more room.
        if (lengthChars < capacityChars) {
            path.resize(lengthChars);
            return path;
        }
        if (capacityChars >= kLongestPathChars) {
            return {};
        }
        capacityChars =
            capacityChars * 2 < kLongestPathChars ? capacityChars * 2 : kLongestPathChars;
    }
}

void FillAppInfo(HINSTANCE instance) {
    AppInfo.InstanceHandle = instance;
    AppPathParts parts = SplitAppPath(Narrow(ModuleFilePath(instance)));
    AppInfo.AppFolder = std::move(parts.Folder);
    AppInfo.AppFileName = std::move(parts.FileName);
}
