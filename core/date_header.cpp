#include "core/date_header.h"
