// Move-only owners for Windows handles: one template, one traits record per kind of handle.
#pragma once

#include <utility>

// Traits name the handle type, its empty value and how to release it:
//   struct XTraits { using Type = ...; static Type Invalid(); static void Close(Type); };
template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type value) : value_(value) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Type get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Invalid(); }

    // Gives up ownership without releasing.
    Type release() { return std::exchange(value_, Traits::Invalid()); }

    void reset(Type value = Traits::Invalid()) {
        Type old = std::exchange(value_, value);
        if (old != Traits::Invalid()) {
            Traits::Close(old);
        }
    }

private:
    Type value_ = Traits::Invalid();
};
