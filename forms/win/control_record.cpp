// The record every form and control window carries, and the two text tags beside it.
#include "forms/win/control_record.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <type_traits>

#include "forms/win/font_from_description.h"

// The record lives in a raw heap block that is freed without running a destructor.
static_assert(std::is_trivially_copyable_v<ControlRecord>);
static_assert(std::is_trivially_destructible_v<ControlRecord>);

namespace {

int Flag(bool on) {
    return on ? kFlagSet : 0;
}

void SetTag(HWND window, const wchar_t* property, std::string_view text) {
    if (!IsWindow(window)) {
        return;
    }
    // Drop the old block and its property together, so the property never points at
    // freed memory, even if storing the new block fails below.
    if (void* previous = RemovePropW(window, property)) {
        HeapFree(GetProcessHeap(), 0, previous);
    }
    // A terminating zero is appended unless the text brings its own; the block keeps one
    // more zero byte beyond it (the empty text gives 2 bytes).
    size_t length = text.size();
    if (text.empty() || text.back() != '\0') {
        ++length;
    }
    void* block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, length + 1);
    if (block != nullptr) {
        std::memcpy(block, text.data(), text.size());
    }
    if (!SetPropW(window, property, block) && block != nullptr) {
        HeapFree(GetProcessHeap(), 0, block);
    }
}

}  // namespace

ControlRecord* FindControlRecord(HWND window) {
    return static_cast<ControlRecord*>(GetPropW(window, kRecordProperty));
}

ControlRecord* AllocateControlRecord() {
    void* block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ControlRecord));
    return block != nullptr ? new (block) ControlRecord{} : nullptr;
}

void FreeControlRecord(ControlRecord* record) {
    if (record == nullptr) {
        return;
    }
    // A brush from GetSysColorBrush is unaffected by DeleteObject, so either origin is safe.
    if (record->BackBrush != nullptr) {
        DeleteObject(record->BackBrush);
    }
    if (record->Font != nullptr) {
        DeleteObject(record->Font);
    }
    for (const HICON icon : {record->BigIcon, record->SmallIcon}) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
    HeapFree(GetProcessHeap(), 0, record);
}

ControlRecord* AttachControlRecord(HWND window, const ControlRecordOptions& options) {
    ControlRecord* record = AllocateControlRecord();
    if (record == nullptr) {
        return nullptr;
    }
    // The subclass procedure relies on finding the record, so without it nothing is touched.
    if (!SetPropW(window, kRecordProperty, record)) {
        FreeControlRecord(record);
        return nullptr;
    }
    if (options.Subclass) {
        record->PrevWndProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(options.NewWndProc)));
    }
    if (options.MakeFont) {
        const DotsPerInch dpi = options.FontDpi.X != 0 ? options.FontDpi : ScreenDpi();
        record->Font = CreateFontFromDescription(options.FontDescription, dpi).release();
        if (record->Font != nullptr) {
            SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(record->Font), TRUE);
        }
    }
    record->ControlIndex = options.ControlIndex;
    record->Window = window;
    const size_t anchorBytes = std::min(options.AnchorText.size(), kMaxAnchorTextBytes);
    // copy_n, not memcpy: an empty view may carry a null pointer.
    std::copy_n(options.AnchorText.data(), anchorBytes, record->AnchorText);
    record->AnchorText[anchorBytes] = '\0';

    record->CustomColors = Flag(options.CustomColors);
    if (options.CustomColors) {
        record->ForeIsSysColor = Flag(options.ForeIsSysColor);
        record->BackIsSysColor = Flag(options.BackIsSysColor);
        record->ForeColor = options.ForeColor;
        record->BackColor = options.BackColor;
        if (!options.MakeBackBrush) {
            record->BackBrush = options.BackBrush;
        } else if (options.BackIsSysColor) {
            record->BackBrush = GetSysColorBrush(static_cast<int>(options.BackColor));
        } else {
            record->BackBrush = CreateSolidBrush(options.BackColor);
        }
    }
    return record;
}

void SetWindowTag(HWND window, std::string_view text) {
    SetTag(window, kTagProperty, text);
}

void SetWindowTag2(HWND window, std::string_view text) {
    SetTag(window, kTag2Property, text);
}

void ReleaseWindowTags(HWND window) {
    for (const wchar_t* property : {kTagProperty, kTag2Property}) {
        if (void* block = RemovePropW(window, property)) {
            HeapFree(GetProcessHeap(), 0, block);
        }
    }
}
