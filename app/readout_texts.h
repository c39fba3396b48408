// The fixed texts and the time pattern of the main form's two read-outs.
#pragma once

#include <string_view>

// Both read-outs show the time this way; FormatSerialDate puts in the user's separators.
inline constexpr std::string_view kReadoutPattern = "yyyy-mm-dd hh:mm:ss";

inline constexpr std::string_view kNetworkReadoutPrefix = "标准的网络时间：";
// Shown after the prefix while no network time is known.
inline constexpr std::string_view kFetchingText = "获取中";
inline constexpr std::string_view kComputerReadoutPrefix = "现在的电脑时间：";
