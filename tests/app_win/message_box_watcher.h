// Finds the program's message boxes from a second thread, reads them and dismisses them, so
// that a test can click on the UI thread while a modal box is up.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenMessageBox {
    std::wstring Caption;
    std::wstring Text;
    HWND Owner = nullptr;
    bool ErrorIcon = false;             // shows the system's error icon
    bool CheckBoxTickedAtOpen = false;  // the autostart box's state while the box was up
};

// Watches this process's dialogs with the given caption until it is destroyed.
class MessageBoxWatcher {
public:
    MessageBoxWatcher(std::wstring caption, HWND checkBox);
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;
    ~MessageBoxWatcher();

    std::vector<SeenMessageBox> Seen() const;

private:
    void Watch();

    std::wstring caption_;
    HWND checkBox_;
    std::atomic<bool> stop_{false};
    mutable std::mutex seenLock_;
    std::vector<SeenMessageBox> seen_;
    std::thread thread_;
};
