// Start-up: prepares the process and chooses between the silent and the windowed mode.
#include "app/win/init_application.h"

#include "core/win/silent_correction.h"

int InitApplication(HINSTANCE, HINSTANCE, const wchar_t*, int) {
    // With any argument the clock is corrected once and the program ends without a window.
    SilentCorrection();
    return 0;
}
