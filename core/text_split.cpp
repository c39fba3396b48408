#include "core/text_split.h"
