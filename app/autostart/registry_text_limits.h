// The limits of the registry texts the program reads and writes, and how key paths are given.
#pragma once

#include <cstddef>
#include <string_view>

// Value names and data are handled in buffers of this size, terminating zero included.
inline constexpr std::size_t kRegistryTextBufferBytes = 1024;
inline constexpr std::size_t kMaxRegistryTextBytes = kRegistryTextBufferBytes - 1;

// True when a UTF-8 text fits a buffer with its terminating zero. Texts that do not fit are
// refused rather than cut: a cut name or command would name some other value or program.
bool FitsRegistryBuffer(std::string_view utf8Text);

// The key path without trailing backslashes, which the registry does not accept.
std::string_view WithoutTrailingBackslashes(std::string_view keyPath);
