#include "core/url.h"
