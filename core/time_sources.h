// The three built-in time sources, asked in this order; the first usable answer starts the
// measurement, and the others are asked beside it.
#pragma once

#include <array>
#include <string_view>

// Home pages of large sites that answer with a Date header from mainland China and elsewhere,
// over HTTPS on port 443 and plain HTTP on port 80. Each is asked over HTTPS first under its host
// name, whatever its scheme here; the plain round asks them as listed, on port 80.
inline constexpr std::array<std::string_view, 3> kTimeSources = {
    "https://www.baidu.com/",
    "https://www.qq.com/",
    "http://www.bing.com/",
};
