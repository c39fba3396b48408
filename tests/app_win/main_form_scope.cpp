// The real main form for the tests that look at it: hidden, its read-out timer stopped so that
// nothing repaints behind the test's back, its first measurement answered and over (the tests
// set the offset they want); destroyed at scope end.
#include "tests/app_win/main_form_scope.h"

#include "app/main_form_design.h"
#include "app/win/main_form.h"
#include "tests/support/fake_clock.h"
#include "tests/support/message_pump.h"

namespace {

bool NotRegistered() {
    return false;
}

}  // namespace

MainFormScope::MainFormScope()
    : previousSeam_(InstallMeasurement({&NotRegistered, &AnswerAtOnce})) {
    form_ = CreateMainFormWindow(nullptr, 0);
    KillTimer(form_, kReadoutTimerId);
    PumpUntil([] { return RunningMeasurementWorkers() == 0; });
}

MainFormScope::~MainFormScope() {
    if (IsWindow(form_)) {
        DestroyWindow(form_);
    }
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    InstallMeasurement(previousSeam_);
}
