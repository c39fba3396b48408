// The narrowing's HTTP/1.1 exchanges on one kept-alive connection.
#include "core/kept_alive_request.h"

#include <vector>

#include "core/date_header.h"
#include "core/text_split.h"

namespace {

constexpr std::string_view kBlockEnd = "\r\n\r\n";
constexpr std::string_view kLineEnd = "\r\n";

// The value, in lower case, of the first header line whose name is lowerName in any case.
bool FindHeader(std::string_view block, std::string_view lowerName, std::string& value) {
    std::size_t start = block.find(kLineEnd);  // past the status line
    while (start != std::string_view::npos) {
        start += kLineEnd.size();
        const std::size_t end = block.find(kLineEnd, start);
        const std::string_view line = block.substr(start, end - start);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos &&
            ToLowerAscii(TrimSpaces(line.substr(0, colon))) == lowerName) {
            value = ToLowerAscii(TrimSpaces(line.substr(colon + 1)));
            return true;
        }
        start = end;
    }
    return false;
}

}  // namespace

std::string BuildKeptAliveRequest(std::string_view host, std::string_view path) {
    return BuildSourceRequest("HEAD /" + std::string(path) + " HTTP/1.1", host, "keep-alive");
}

std::size_t HeaderBlockLength(std::string_view received) {
    const std::size_t end = received.find(kBlockEnd);
    return end == std::string_view::npos ? 0 : end + kBlockEnd.size();
}

bool KeepsConnectionOpen(std::string_view headerBlock) {
    const bool http11 = headerBlock.substr(0, 9) == "HTTP/1.1 ";
    std::string connection;
    if (!FindHeader(headerBlock, "connection", connection)) {
        return http11;
    }
    std::vector<std::string> tokens;
    SplitText(connection, ",", tokens);
    bool close = false;
    bool keepAlive = false;
    for (const std::string& token : tokens) {
        close = close || TrimSpaces(token) == "close";
        keepAlive = keepAlive || TrimSpaces(token) == "keep-alive";
    }
    return !close && (http11 || keepAlive);
}
