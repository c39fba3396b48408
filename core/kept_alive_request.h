// The narrowing's HTTP/1.1 exchanges on one kept-alive connection: the request, where an
// answer's headers end, and whether the server keeps the connection open after it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The most header bytes an answer may have; a longer one is no answer.
constexpr std::size_t kKeptAliveHeaderLimitBytes = 16384;

// "HEAD /<path> HTTP/1.1", Host, Connection: keep-alive, User-Agent, ending in CR LF CR LF.
std::string BuildKeptAliveRequest(std::string_view host, std::string_view path);

// The length of the answer's header block up to and including the empty line that ends it;
// 0 while that line has not arrived.
std::size_t HeaderBlockLength(std::string_view received);

// Whether the server keeps the connection open after this answer: HTTP/1.1 unless it says
// "Connection: close", HTTP/1.0 only when it says "Connection: keep-alive". Header names and
// the tokens are compared without regard to case, as HTTP has them.
bool KeepsConnectionOpen(std::string_view headerBlock);
