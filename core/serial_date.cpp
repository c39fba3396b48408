#include "core/serial_date.h"
