#include "platform/ui/MouseIcon.h"

#include <mutex>
#include <vector>

#include "platform/ui/UiBackend.h"

namespace tarn::platform::ui {
namespace {

// Shapes of the live MouseIcons that show one, innermost last.
struct PointerStack {
    std::mutex mutex;
    std::vector<std::int32_t> shapes;
};

PointerStack& Stack() {
    static PointerStack stack;
    return stack;
}

}  // namespace

void MouseIcon::set_cMouseIcon(std::int32_t shape) {
    if (shape == shape_) return;
    PointerStack& stack = Stack();
    {
        std::lock_guard lock(stack.mutex);
        if (shape_ == kDefaultPointer)
            stack.shapes.push_back(shape);
        else if (shape == kDefaultPointer)
            stack.shapes.pop_back();
        else
            stack.shapes.back() = shape;
    }
    UiBackend& backend = CurrentUiBackend();
    if (shape_ == kDefaultPointer)
        backend.PushPointer(shape);
    else if (shape == kDefaultPointer)
        backend.PopPointer();
    else
        backend.ChangePointer(shape);
    shape_ = shape;
}

MouseIcon::~MouseIcon() {
    set_cMouseIcon(kDefaultPointer);
}

std::int32_t CurrentMouseIcon() {
    PointerStack& stack = Stack();
    std::lock_guard lock(stack.mutex);
    return stack.shapes.empty() ? kDefaultPointer : stack.shapes.back();
}

}  // namespace tarn::platform::ui
