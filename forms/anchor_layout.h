// Where an anchored control goes when its form changes size ("S", "FL", "FR", "F50" per edge).
#pragma once

#include <optional>
#include <string_view>

struct EdgeRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const EdgeRect&) const = default;
};

struct ParentSize {
    int Width = 0;
    int Height = 0;
};

// Descriptions shorter than this (after upper-casing) mean "not anchored".
inline constexpr size_t kMinAnchorTextLength = 7;

// One edge: the field (already upper case) applied to the edge's captured coordinate.
// "S" scales it with the parent; "F" + L/T, R/B or a percentage moves it by that share of the
// parent's change. An empty or unknown field, or "S" with a captured parent size of 0, keeps
// the captured coordinate.
int AnchoredEdge(std::string_view field, int capturedCoordinate, int capturedParentSize,
                 int newParentSize);

// The control's new rectangle from its anchor description ("left,top,right,bottom"), the
// geometry captured at the first resize and the parent's current size; nullopt when the
// description is too short to anchor anything. Edges whose field is missing stay as captured.
std::optional<EdgeRect> AnchoredRect(std::string_view anchorText, ParentSize capturedParent,
                                     const EdgeRect& capturedRect, ParentSize newParent);
