// The three built-in time sources, asked in this order; the first usable answer wins.
#pragma once

#include <array>
#include <string_view>

// Home pages of large sites that answer plain HTTP on port 80 with a Date header from
// mainland China and elsewhere. The https ones are still asked over plain HTTP on port 80.
inline constexpr std::array<std::string_view, 3> kTimeSources = {
    "https://www.baidu.com/",
    "https://www.qq.com/",
    "http://www.bing.com/",
};
