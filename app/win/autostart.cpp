// Registration of the program to start silently with Windows.
#include "app/win/autostart.h"

#include "forms/win/form_hooks.h"

// The registry side is not written yet: nothing counts as registered, and a click on the
// check box only toggles the box itself.
bool IsAutostartRegistered() {
    return false;
}

int OnAutostartClicked(int, HWND, HWND, int) {
    return 0;
}
