// Does nothing: the end-to-end tests time a bare Wine start with it.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return 0;
}
