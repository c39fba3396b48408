// Network time and its offset from the local clock, shared by the measuring threads and the UI.
#pragma once

#include <atomic>

#include "core/serial_date.h"

// Each is written and read as one whole 8-byte value: a reader sees the old value or the new
// one, never half of each. No lock joins the two; a reader may see a new NetworkTime with the
// old NetworkOffset for one tick, which is harmless.
static_assert(std::atomic<double>::is_always_lock_free,
              "the shared doubles must be lock-free (build for i686 or later)");

// 0 until a measurement succeeded and after one failed; otherwise the network time (UTC+8) at
// the middle of the measured exchange. Readers only ask whether it is 0.
extern std::atomic<SerialDate> NetworkTime;
// The source's UTC minus the computer's UTC, in days: the network time is the computer's UTC
// plus this plus 8 hours (NetworkTimeAt). Until a measurement is stored, and right after a
// correction by the button, the offset at which the network time is the computer's own wall
// clock (OffsetShowingLocalClock: 0 in UTC+8, the zone's distance from UTC+8 elsewhere).
extern std::atomic<double> NetworkOffset;
