// The main form as designed: class, title, outer size and its six controls, in design units.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "app/program_version.h"
#include "forms/form_description.h"

// Control identifiers; 1003 is not used.
inline constexpr int kNetworkClockFaceId = 1000;
inline constexpr int kComputerClockFaceId = 1001;
inline constexpr int kCorrectNowButtonId = 1002;
inline constexpr int kAutostartCheckBoxId = 1004;
inline constexpr int kNetworkTimeLabelId = 1005;
inline constexpr int kComputerTimeLabelId = 1006;
// The read-out timer shares 1004 with the check box: it arrives in WM_TIMER, the box's clicks
// in WM_COMMAND, so the two never meet.
inline constexpr unsigned kReadoutTimerId = 1004;
// The program's own timers: the hourly quiet measurement, and another try at starting the
// measurement when no thread could be started for it.
inline constexpr unsigned kQuietMeasurementTimerId = 1010;
inline constexpr unsigned kMeasurementStartTimerId = 1011;

// Indexes of the two clock faces, which are also their control indexes.
inline constexpr int kComputerFaceIndex = 0;
inline constexpr int kNetworkFaceIndex = 1;
inline constexpr std::array<int, 2> kClockFaceIds = {kComputerClockFaceId, kNetworkClockFaceId};

// Joins string literals at compile time, so that the title carries the build's version.
template <std::size_t... Sizes>
constexpr auto JoinLiterals(const char (&... parts)[Sizes]) {
    std::array<char, (Sizes + ...) - sizeof...(Sizes) + 1> joined{};
    std::size_t at = 0;
    ((std::copy_n(parts, Sizes - 1, joined.begin() + at), at += Sizes - 1), ...);
    return joined;
}

inline constexpr auto kMainFormTitleText =
    JoinLiterals("QuelanTikora ", kTitleVersion, "（误差±0.5秒）");
inline constexpr std::string_view kMainFormTitle(kMainFormTitleText.data(),
                                                 kMainFormTitleText.size() - 1);

inline constexpr std::string_view kReadoutFont = "微软雅黑,9,0";

// Creation order, which is also the tab order.
inline constexpr std::array<ControlDescription, 6> kMainFormControls = {{
    {kNetworkClockFaceId,
     "Static",
     "",
     {163, 5, 115, 115},
     ControlKind::Canvas,
     "",
     false,
     kNetworkFaceIndex},
    {kComputerClockFaceId,
     "Static",
     "",
     {21, 3, 115, 115},
     ControlKind::Canvas,
     "",
     false,
     kComputerFaceIndex},
    {kCorrectNowButtonId,
     "Button",
     "立即校正",
     {206, 175, 65, 26},
     ControlKind::PushButton,
     kReadoutFont,
     false,
     0},
    {kAutostartCheckBoxId,
     "Button",
     "每次开电脑自动校正",
     {16, 173, 132, 22},
     ControlKind::CheckBox,
     kReadoutFont,
     true,
     0},
    {kNetworkTimeLabelId,
     "Static",
     "标准的网络时间：",
     {18, 127, 305, 17},
     ControlKind::Label,
     kReadoutFont,
     true,
     0},
    {kComputerTimeLabelId,
     "Static",
     "现在的电脑时间：",
     {18, 148, 305, 17},
     ControlKind::Label,
     kReadoutFont,
     true,
     0},
}};

inline constexpr FormDescription kMainFormDescription = {
    "FORM_Tikora_FORM1_CLASS",
    kMainFormTitle,
    295,  // outer width and height, caption and borders included
    239,
    true,  // stays above every window that is not itself topmost
    "IMAGE_TIME",
    kMainFormControls,
};
