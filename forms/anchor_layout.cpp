// Where an anchored control goes when its form changes size ("S", "FL", "FR", "F50" per edge).
#include "forms/anchor_layout.h"

#include <string>

#include "core/text_split.h"
#include "forms/pixel_math.h"
#include "forms/text_field.h"

namespace {

constexpr std::string_view kSeparator = ",";
constexpr int kEdgeCount = 4;

double FixedPercentage(std::string_view rest) {
    if (rest == "L" || rest == "T") {
        return 0.0;
    }
    if (rest == "R" || rest == "B") {
        return 100.0;
    }
    return ReadLeadingNumber(rest);
}

}  // namespace

int AnchoredEdge(std::string_view field, int capturedCoordinate, int capturedParentSize,
                 int newParentSize) {
    if (field.empty()) {
        return capturedCoordinate;
    }
    if (field.front() == 'S') {
        if (capturedParentSize == 0) {
            return capturedCoordinate;
        }
        const double ratio = static_cast<double>(newParentSize) / capturedParentSize;
        return RoundHalfEven(capturedCoordinate * ratio);
    }
    if (field.front() == 'F') {
        const double percent = FixedPercentage(field.substr(1));
        return RoundHalfEven(capturedCoordinate - capturedParentSize * percent / 100.0 +
                             newParentSize * percent / 100.0);
    }
    return capturedCoordinate;
}

std::optional<EdgeRect> AnchoredRect(std::string_view anchorText, ParentSize capturedParent,
                                     const EdgeRect& capturedRect, ParentSize newParent) {
    const std::string upper = ToUpperAscii(anchorText);
    if (upper.size() < kMinAnchorTextLength) {
        return std::nullopt;
    }
    const int fields = CountFields(upper, kSeparator);
    const int captured[kEdgeCount] = {capturedRect.Left, capturedRect.Top, capturedRect.Right,
                                      capturedRect.Bottom};
    int result[kEdgeCount] = {};
    for (int edge = 0; edge < kEdgeCount; ++edge) {
        const bool horizontal = edge % 2 == 0;
        const int before = horizontal ? capturedParent.Width : capturedParent.Height;
        const int after = horizontal ? newParent.Width : newParent.Height;
        // A missing field would otherwise be the whole description (TextField's rule).
        const std::string_view field =
            edge < fields ? TextField(upper, kSeparator, edge + 1) : std::string_view();
        result[edge] = AnchoredEdge(field, captured[edge], before, after);
    }
    return EdgeRect{result[0], result[1], result[2], result[3]};
}
