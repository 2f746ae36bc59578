#pragma once

#include <cstdint>

namespace tarn::platform::ui {

// Pointer shapes by number; 0 is the default pointer and 11 the hourglass.
inline constexpr std::int32_t kDefaultPointer = 0;
inline constexpr std::int32_t kHourglassPointer = 11;

// The busy pointer for the life of one operation: create one at the start and set
// cMouseIcon; the pointer goes back when the object is released (or cMouseIcon is set to 0).
class MouseIcon {
  public:
    MouseIcon() = default;
    explicit MouseIcon(std::int32_t shape) { set_cMouseIcon(shape); }
    ~MouseIcon();
    MouseIcon(const MouseIcon&) = delete;
    MouseIcon& operator=(const MouseIcon&) = delete;

    std::int32_t cMouseIcon() const { return shape_; }
    void set_cMouseIcon(std::int32_t shape);

  private:
    std::int32_t shape_ = kDefaultPointer;
};

// The shape the innermost live MouseIcon asks for, or 0 when none does.
std::int32_t CurrentMouseIcon();

}  // namespace tarn::platform::ui
