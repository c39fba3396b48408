// Splits a time source's URL into host, path and port.
#include "core/url.h"

#include "core/text_split.h"

namespace {
constexpr std::string_view kHttpPrefix = "http://";
constexpr std::string_view kHttpsPrefix = "https://";
}  // namespace

void SplitUrl(std::string_view url, std::string& host, std::string& path, int& port) {
    std::string_view rest = TrimSpaces(url);
    // Only the scheme is compared without regard to case; host and path keep theirs.
    const std::string lowered = ToLowerAscii(rest);
    bool hasScheme = true;
    if (lowered.starts_with(kHttpPrefix)) {
        rest.remove_prefix(kHttpPrefix.size());
        port = kHttpPort;
    } else if (lowered.starts_with(kHttpsPrefix)) {
        rest.remove_prefix(kHttpsPrefix.size());
        port = kHttpsPort;
    } else {
        hasScheme = false;
        if (port == 0) {
            port = kHttpPort;
        }
    }

    if (hasScheme || host.empty()) {
        const std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos) {
            host = TrimSpaces(rest);
            path.clear();
        } else {
            host = TrimSpaces(rest.substr(0, slash));
            path = TrimSpaces(rest.substr(slash + 1));
        }
        return;
    }
    // No scheme and a host from the caller: the whole text is a path on that host.
    std::string_view ownPath = TrimSpaces(rest);
    if (ownPath.starts_with('/')) {
        ownPath.remove_prefix(1);
    }
    path = ownPath;
}
