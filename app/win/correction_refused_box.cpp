// The message that tells the user that Windows refused to set the clock.
#include "app/win/correction_refused_box.h"

#include "app/autostart/autostart_entry.h"
#include "app/autostart/event_entries.h"
#include "core/win/wide_text.h"

void ShowCorrectionRefused(HWND form, DWORD error) {
    const HWND owner = IsWindow(form) ? form : nullptr;
    MessageBoxW(owner, Widen(CorrectionRefusedText(error)).c_str(),
                Widen(kAutostartValueName).c_str(), MB_OK | MB_ICONERROR);
}
