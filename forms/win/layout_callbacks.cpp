// Keeps anchored controls in place when their form changes size.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>

#include "forms/anchor_layout.h"
#include "forms/win/control_record.h"
#include "forms/win/form_runtime.h"

namespace {

constexpr BOOL kContinueEnumeration = kFlagSet;

int SpanOf(int from, int to) {
    const int64_t span = static_cast<int64_t>(to) - from;
    return static_cast<int>(std::clamp<int64_t>(span, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

}  // namespace

BOOL CALLBACK CaptureLayout(HWND window, LPARAM /*unused*/) {
    ControlRecord* record = FindControlRecord(window);
    if (record == nullptr || record->LayoutCaptured != 0) {
        return kContinueEnumeration;
    }
    const HWND parent = GetParent(window);
    GetClientRect(parent, &record->CapturedParentRect);
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    record->CapturedRect = rect;
    record->LayoutCaptured = kFlagSet;
    return kContinueEnumeration;
}

BOOL CALLBACK ApplyAnchors(HWND window, LPARAM /*unused*/) {
    const ControlRecord* record = FindControlRecord(window);
    if (record == nullptr || record->LayoutCaptured == 0) {
        return kContinueEnumeration;
    }
    const std::string_view anchor(record->AnchorText,
                                  strnlen(record->AnchorText, sizeof(record->AnchorText)));
    RECT client{};
    GetClientRect(GetParent(window), &client);
    const RECT& captured = record->CapturedRect;
    const std::optional<EdgeRect> rect =
        AnchoredRect(anchor, {record->CapturedParentRect.right, record->CapturedParentRect.bottom},
                     {captured.left, captured.top, captured.right, captured.bottom},
                     {client.right, client.bottom});
    if (rect) {
        SetWindowPos(window, nullptr, rect->Left, rect->Top, SpanOf(rect->Left, rect->Right),
                     SpanOf(rect->Top, rect->Bottom), SWP_NOZORDER);
    }
    return kContinueEnumeration;
}
