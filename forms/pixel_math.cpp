// Integer arithmetic of the form runtime: rounding rules, design-unit scaling, placement.
#include "forms/pixel_math.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

int RoundHalfEven(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    // nearbyint follows the default rounding mode, round-to-nearest-even.
    const double rounded = std::nearbyint(value);
    if (rounded >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (rounded <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(rounded);
}

int MulDivRounded(int number, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    const int64_t product = static_cast<int64_t>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const uint64_t productMagnitude =
        product < 0 ? 0 - static_cast<uint64_t>(product) : static_cast<uint64_t>(product);
    const uint64_t divisorMagnitude =
        denominator < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(denominator))
                        : static_cast<uint64_t>(denominator);
    // Adding half the divisor before truncating rounds halves away from zero.
    const uint64_t quotient = (productMagnitude + divisorMagnitude / 2) / divisorMagnitude;
    // MulDiv refuses INT_MIN as well, so both signs share one limit.
    if (quotient > static_cast<uint64_t>(std::numeric_limits<int>::max())) {
        return -1;
    }
    const int64_t result = static_cast<int64_t>(quotient);
    return static_cast<int>(negative ? -result : result);
}

float ScaleFactorForDpi(int dpi) {
    return static_cast<float>(static_cast<double>(dpi) / kDesignDpi);
}

float ScaleDesignValue(float designValue, float factor) {
    // The cast forces the product to 32-bit precision even where the FPU keeps more (x87).
    return static_cast<float>(designValue * factor);
}

int DesignToPixels(float designValue, float factor) {
    return RoundHalfEven(ScaleDesignValue(designValue, factor));
}

int CentredOrigin(int screenSize, int windowSize) {
    return static_cast<int>((static_cast<int64_t>(screenSize) - windowSize) / 2);
}

int OriginWithin(int origin, int windowSize, int areaStart, int areaEnd) {
    // In 64 bits: areaEnd - windowSize must not overflow for any pair of ints.
    const int64_t backFromFarEdge =
        std::min<int64_t>(origin, static_cast<int64_t>(areaEnd) - windowSize);
    return static_cast<int>(std::max<int64_t>(backFromFarEdge, areaStart));
}
