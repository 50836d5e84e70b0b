#pragma once
// An owned value of the system's and the call that lets it go, on any system.

#include <utility>

// One owned value and the call that lets it go; Invalid() is "none".
template <class Traits>
class CHeld {
public:
    using Value = typename Traits::Value;
    explicit CHeld(Value value = Traits::Invalid()) : value_(value) {}
    ~CHeld()
    {
        if (IsOpen())
            Traits::Release(value_);
    }
    CHeld(const CHeld&) = delete;
    CHeld& operator=(const CHeld&) = delete;
    CHeld(CHeld&& other) noexcept : value_(std::exchange(other.value_, Traits::Invalid())) {}
    CHeld& operator=(CHeld&& other) noexcept
    {
        std::swap(value_, other.value_);
        return *this;
    }

    bool IsOpen() const { return value_ != Traits::Invalid(); }
    Value Get() const { return value_; }
    // Hands the value on: the holder holds none.
    Value Release() { return std::exchange(value_, Traits::Invalid()); }
    // Where a call that hands out a value writes it; what was held goes first.
    Value* Receive()
    {
        *this = CHeld();
        return &value_;
    }

private:
    Value value_;
};
