// Finds the program's message boxes from a second thread, reads them and dismisses them.
#include "tests/app_win/message_box_watcher.h"

#include <utility>

namespace {

constexpr wchar_t kDialogClass[] = L"#32770";

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

struct Search {
    const std::wstring* Caption;
    HWND Found = nullptr;
};

BOOL CALLBACK FindOurDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (process == GetCurrentProcessId() && wcscmp(className, kDialogClass) == 0 &&
        IsWindowVisible(window) && TextOf(window) == *search->Caption) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

// The message is the box's one static control that holds text; the icon is an SS_ICON static.
BOOL CALLBACK ReadBoxChild(HWND child, LPARAM context) {
    auto* seen = reinterpret_cast<SeenMessageBox*>(context);
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    if (_wcsicmp(className, L"Static") != 0) {
        return TRUE;
    }
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        const auto icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        seen->ErrorIcon = icon != nullptr && icon == LoadIconW(nullptr, IDI_ERROR);
    } else if (GetWindowTextLengthW(child) > 0) {
        seen->Text = TextOf(child);
    }
    return TRUE;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(std::wstring caption, HWND checkBox)
    : caption_(std::move(caption)), checkBox_(checkBox), thread_([this] { Watch(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<SeenMessageBox> MessageBoxWatcher::Seen() const {
    const std::lock_guard<std::mutex> lock(seenLock_);
    return seen_;
}

void MessageBoxWatcher::Watch() {
    while (!stop_) {
        Search search{&caption_};
        EnumWindows(&FindOurDialog, reinterpret_cast<LPARAM>(&search));
        if (search.Found == nullptr) {
            Sleep(10);
            continue;
        }
        SeenMessageBox seen;
        seen.Caption = caption_;
        seen.Owner = GetWindow(search.Found, GW_OWNER);
        EnumChildWindows(search.Found, &ReadBoxChild, reinterpret_cast<LPARAM>(&seen));
        // Sent to the UI thread, which answers from inside the box's modal loop.
        seen.CheckBoxTickedAtOpen = SendMessageW(checkBox_, BM_GETCHECK, 0, 0) == BST_CHECKED;
        {
            const std::lock_guard<std::mutex> lock(seenLock_);
            seen_.push_back(std::move(seen));
        }
        SendMessageW(search.Found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        // Gone before the next look, so that one box is never counted twice.
        while (IsWindow(search.Found)) {
            Sleep(5);
        }
    }
}
