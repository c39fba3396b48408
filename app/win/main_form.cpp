// The main form: its description and the program's handlers, handed to the form runtime.
#include "app/win/main_form.h"

#include <array>

#include "app/main_form_design.h"
#include "app/win/autostart_box.h"
#include "app/win/clock_face.h"
#include "app/win/main_form_controller.h"
#include "app/win/measurement_worker.h"
#include "forms/win/form_window.h"

namespace {

// A click reaches the check box's handler before the button's.
constexpr std::array<CommandRoute, 2> kMainFormCommands = {{
    {kAutostartCheckBoxId, OnAutostartClicked},
    {kCorrectNowButtonId, OnCorrectNowClicked},
}};

constexpr std::array<MessageRoute, 5> kMainFormMessages = {{
    {kMeasurementStoredMessage, OnMeasurementStored},
    {kAutostartFoundMessage, OnAutostartFound},
    {WM_TIMECHANGE, OnTimeChanged},
    {WM_POWERBROADCAST, OnPowerBroadcast},
    {WM_TIMER, OnMeasurementTimer},
}};

}  // namespace

const FormDefinition kMainForm = {
    kMainFormDescription,
    {OnFormCreated,
     {kReadoutTimerId, MsUntilNextReadoutTick, RefreshReadouts},
     kMainFormCommands,
     PaintClockFace,
     kMainFormMessages},
};

INT_PTR CreateMainForm(HWND parent, int loopMode, INT_PTR creationValue) {
    return CreateForm(kMainForm, parent, loopMode, creationValue);
}

HWND CreateMainFormWindow(HWND parent, INT_PTR creationValue) {
    return CreateFormWindow(kMainForm, parent, creationValue);
}
