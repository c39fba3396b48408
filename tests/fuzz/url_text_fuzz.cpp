// Fuzzes URL splitting, text splitting and the choice of a proxy with arbitrary bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/proxy_route.h"
#include "core/text_split.h"
#include "core/url.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool IsTrimmed(std::string_view text) {
    return text.empty() || (text.front() != ' ' && text.back() != ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    for (const bool callerHost : {false, true}) {
        std::string host = callerHost ? "caller" : "";
        std::string path;
        int port = 0;
        SplitUrl(text, host, path, port);
        Check(port == kHttpPort || port == kHttpsPort);
        Check(IsTrimmed(host));
        // A caller's host takes the whole text as its path, trimmed before its slash is dropped.
        if (!callerHost) {
            Check(IsTrimmed(path) && host.find('/') == std::string::npos);
        }
    }

    // The first byte chooses a delimiter of up to three bytes from the rest of the input.
    if (size > 0) {
        const std::size_t delimiterLength = data[0] % 4;
        const std::string_view rest = text.substr(1);
        const std::string_view delimiter = rest.substr(0, delimiterLength);
        const std::string_view subject = rest.substr(delimiter.size());
        std::vector<std::string> fields;
        const int count = SplitText(subject, delimiter, fields);
        if (subject.empty()) {
            Check(count == -1 && fields.empty());
        } else {
            Check(count == static_cast<int>(fields.size()) && count >= 1);
            std::string joined = fields[0];
            for (std::size_t i = 1; i < fields.size(); ++i) {
                joined.append(delimiter).append(fields[i]);
            }
            Check(joined == subject);
        }
    }

    // Windows' proxy settings up to the first newline, its bypass list after it.
    const std::size_t newline = std::min(text.find('\n'), size);
    for (const std::string_view scheme : {"http", "https"}) {
        const ProxyEndpoint proxy =
            ChooseProxy(text.substr(0, newline), text.substr(newline), scheme, "www.example.com");
        Check(proxy.Direct() || proxy.Port != 0);
    }

    Check(LeadingInteger(text) >= 0);
    return 0;
}
