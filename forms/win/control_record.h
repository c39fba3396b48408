// The record every form and control window carries, and the two text tags beside it.
#pragma once

#include <windows.h>

#include <string_view>

#include "forms/win/dpi_scaling.h"

struct FormDefinition;

// Window properties of the form runtime.
inline constexpr wchar_t kRecordProperty[] = L"ZEM_PTR";
inline constexpr wchar_t kTagProperty[] = L"ZEM_TAGPROPERTY";
inline constexpr wchar_t kTag2Property[] = L"ZEM_TAGPROPERTY2";

// Flags are 0 or -1 and tested for non-zero.
inline constexpr int kFlagSet = -1;

// Lives in a zero-filled process-heap block from its attachment until the window's
// WM_DESTROY, which releases the block together with the Font and BackBrush it owns.
struct ControlRecord {
    WNDPROC PrevWndProc;  // the control's procedure before subclassing; null for a form
    HWND Window;          // the control itself; null for a form
    HWND OwnerWindow;     // form: re-enabled and activated when the form closes
    int IsModal;          // form: -1 once it runs its own loop
    HFONT Font;           // owned
    int ControlIndex;     // first argument of the application's handlers
    HWND FocusedChild;    // form: the child that last had the keyboard focus
    int CustomColors;     // non-zero: the colour fields below apply
    int ForeIsSysColor;   // ForeColor is a GetSysColor index rather than a COLORREF
    int BackIsSysColor;   // likewise for BackColor
    HBRUSH BackBrush;     // owned (deleting a system-colour brush does nothing)
    COLORREF ForeColor;
    COLORREF BackColor;
    int LayoutCaptured;  // anchored layout: -1 once the rectangles below are captured
    RECT CapturedParentRect;
    RECT CapturedRect;
    char AnchorText[30];               // at most 29 bytes and a terminating zero
    const FormDefinition* Definition;  // form: its description and the program's handlers
    DotsPerInch Dpi;                   // form: what its geometry, fonts and icons are made for
    HICON BigIcon;                     // form: owned, sized for Dpi
    HICON SmallIcon;                   // form: owned, sized for Dpi
};

inline constexpr size_t kMaxAnchorTextBytes = sizeof(ControlRecord::AnchorText) - 1;

// The window's record, or null.
ControlRecord* FindControlRecord(HWND window);

// A zero-filled record from the process heap, or null when the heap is exhausted.
ControlRecord* AllocateControlRecord();
// Deletes the brush, font and icons the record owns, then releases its block; null is ignored.
void FreeControlRecord(ControlRecord* record);

// What AttachControlRecord sets up on a window.
struct ControlRecordOptions {
    bool Subclass = false;  // replace the window procedure with NewWndProc
    WNDPROC NewWndProc = nullptr;
    bool MakeFont = false;  // make FontDescription's font and send it with WM_SETFONT
    std::string_view FontDescription;
    DotsPerInch FontDpi{0, 0};  // the DPI the font is made for; zero: the screen's
    int ControlIndex = 0;
    bool CustomColors = false;
    bool ForeIsSysColor = false;
    bool BackIsSysColor = false;
    COLORREF ForeColor = 0;
    COLORREF BackColor = 0;
    bool MakeBackBrush = true;    // make the brush from BackColor; else take BackBrush
    HBRUSH BackBrush = nullptr;   // ownership passes to the record
    std::string_view AnchorText;  // cut to 29 bytes
};

// Attaches a new record to window under "ZEM_PTR", then subclasses, sets the font and the
// colours as asked. Returns null, leaving the window untouched, when no record could be
// allocated or attached.
ControlRecord* AttachControlRecord(HWND window, const ControlRecordOptions& options);

// Stores a zero-terminated copy of text in a heap block under "ZEM_TAGPROPERTY" /
// "ZEM_TAGPROPERTY2", freeing the block it replaces. Nothing happens for a non-window.
void SetWindowTag(HWND window, std::string_view text);
void SetWindowTag2(HWND window, std::string_view text);

// Frees both tag blocks of a window and removes their properties (at WM_DESTROY).
void ReleaseWindowTags(HWND window);
