// The main form as designed: title, outer size and its six controls, in design units.
#pragma once

#include <array>
#include <string_view>

inline constexpr std::string_view kMainFormTitle = "QuelanTikora 1.1（误差±0.5秒）";
inline constexpr int kMainFormDesignWidth = 295;  // outer size, caption and borders included
inline constexpr int kMainFormDesignHeight = 239;

// Which of the application's identifiers and handle slots a control uses.
enum class ControlRole {
    NetworkClockFace,
    ComputerClockFace,
    CorrectNowButton,
    AutostartCheckBox,
    NetworkTimeLabel,
    ComputerTimeLabel,
};

enum class ControlKind { ClockFace, PushButton, CheckBox, Label };

struct DesignRect {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
};

struct ControlDesign {
    ControlRole Role;
    std::string_view ClassName;
    std::string_view Text;  // UTF-8
    DesignRect Rect;
    ControlKind Kind;
    std::string_view FontSpec;
    bool SystemColours;  // window text on button face; otherwise the system's defaults
    int ControlIndex;
};

inline constexpr std::string_view kReadoutFont = "微软雅黑,9,0";

// Creation order, which is also the tab order.
inline constexpr std::array<ControlDesign, 6> kMainFormControls = {{
    {ControlRole::NetworkClockFace,
     "Static",
     "",
     {163, 5, 115, 115},
     ControlKind::ClockFace,
     "",
     false,
     1},
    {ControlRole::ComputerClockFace,
     "Static",
     "",
     {21, 3, 115, 115},
     ControlKind::ClockFace,
     "",
     false,
     0},
    {ControlRole::CorrectNowButton,
     "Button",
     "立即校正",
     {206, 175, 65, 26},
     ControlKind::PushButton,
     kReadoutFont,
     false,
     0},
    {ControlRole::AutostartCheckBox,
     "Button",
     "每次开电脑自动校正",
     {16, 173, 132, 22},
     ControlKind::CheckBox,
     kReadoutFont,
     true,
     0},
    {ControlRole::NetworkTimeLabel,
     "Static",
     "标准的网络时间：",
     {18, 127, 305, 17},
     ControlKind::Label,
     kReadoutFont,
     true,
     0},
    {ControlRole::ComputerTimeLabel,
     "Static",
     "现在的电脑时间：",
     {18, 148, 305, 17},
     ControlKind::Label,
     kReadoutFont,
     true,
     0},
}};

// The design entry of a role.
constexpr const ControlDesign& DesignOf(ControlRole role) {
    for (const ControlDesign& control : kMainFormControls) {
        if (control.Role == role) {
            return control;
        }
    }
    return kMainFormControls[0];
}
