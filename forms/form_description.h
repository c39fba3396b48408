// What a form and its controls look like at design time; the runtime builds live windows from it.
#pragma once

#include <span>
#include <string_view>

// Each kind has its own window style; the runtime knows them, the description only names the kind.
enum class ControlKind {
    Canvas,      // a static control that the program paints itself; it takes the keyboard focus
    PushButton,  // notifies focus changes too (BS_NOTIFY)
    CheckBox,    // ticks and unticks itself on a click; created unticked
    Label,       // static text, skipped by Tab
};

// Design units are pixels at 96 DPI; each of the four is scaled on its own.
struct DesignRect {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
};

struct ControlDescription {
    int Id = 0;  // the control's identifier: commands and painting are routed by it
    std::string_view ClassName;
    std::string_view Text;  // UTF-8
    DesignRect Rect;
    ControlKind Kind = ControlKind::Label;
    std::string_view FontDescription;  // "face,size,style" or the long form; empty: default font
    bool SystemColours = false;        // window text on button face; otherwise the defaults
    int ControlIndex = 0;              // first argument of the program's handlers
};

// A fixed-size form with a caption and a Close button only, centred on the primary screen and
// kept within its monitor's work area.
struct FormDescription {
    std::string_view ClassName;
    std::string_view Title;  // UTF-8
    int DesignWidth = 0;     // outer size, caption and borders included
    int DesignHeight = 0;
    bool StaysOnTop = false;
    std::string_view IconResource;                 // the class's icons; empty: none
    std::span<const ControlDescription> Controls;  // creation order, which is also the tab order
};

// The control with that identifier, or null.
constexpr const ControlDescription* FindControl(const FormDescription& form, int id) {
    for (const ControlDescription& control : form.Controls) {
        if (control.Id == id) {
            return &control;
        }
    }
    return nullptr;
}
