#include "core/network_state.h"
