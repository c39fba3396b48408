// Runs a piece of cleanup when a scope ends, for one-off pairs that have no owner type.
#pragma once

#include <utility>

template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F&& cleanup) : cleanup_(std::forward<F>(cleanup)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() {
        if (armed_) {
            cleanup_();
        }
    }
    // Keeps the cleanup from running, for a success path that hands the resource on.
    void Dismiss() { armed_ = false; }

private:
    F cleanup_;
    bool armed_ = true;
};

template <typename F>
[[nodiscard]] ScopeExit<F> MakeScopeExit(F&& cleanup) {
    return ScopeExit<F>(std::forward<F>(cleanup));
}
