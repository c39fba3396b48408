// When the read-outs tick: just after the shown time enters its next second.
#include "app/readout_ticks.h"

namespace {

constexpr unsigned kMsPerSecond = 1000;

}  // namespace

unsigned MsUntilNextSecondTick(SerialDate shown) {
    const unsigned intoSecondMs = static_cast<unsigned>(SplitSerialDate(shown).Millisecond);
    return kMsPerSecond - intoSecondMs + kTickAfterSecondMs;
}
