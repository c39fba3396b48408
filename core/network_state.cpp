// The process-wide network time and offset, written by measuring threads and read by the UI.
#include "core/network_state.h"

std::atomic<SerialDate> NetworkTime{0.0};
std::atomic<double> NetworkOffset{0.0};
