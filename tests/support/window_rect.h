// Where a child window lies in its parent, as the layout tests compare it.
#pragma once

#include <windows.h>

// The window's rectangle in its parent's client coordinates.
inline RECT RectInParent(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
