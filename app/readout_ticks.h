// When the read-outs tick: just after the shown time enters its next second.
#pragma once

#include "core/serial_date.h"

// How late after the second changes a tick comes. A little late, never early: a timer that
// fired a hair before the second would show the old one again for a whole second.
inline constexpr unsigned kTickAfterSecondMs = 10;

// Milliseconds from the moment whose shown time is `shown` until kTickAfterSecondMs after its
// next whole second.
unsigned MsUntilNextSecondTick(SerialDate shown);
