#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn::conduit {

// What the engine was doing: a context is pushed before a risky step and popped when it
// succeeded, so after a failure the top entry names the step that failed.
class clsErrorStack {
  public:
    void Clear() { entries_.clear(); }
    std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }
    void Push(const std::string& value) { entries_.push_back(value); }
    // Pop and Peek throw std::out_of_range on an empty stack.
    std::string Pop();
    const std::string& Peek() const;

  private:
    std::vector<std::string> entries_;
};

// Pushes an error context for the life of a step and pops it only when the step completes, so
// that after a failure the context stays on the stack for the bail-out to report.
class ErrorContext {
  public:
    ErrorContext(clsErrorStack& stack, const std::string& context) : stack_(stack) {
        stack_.Push(context);
    }
    void Done() {
        if (!done_) stack_.Pop();
        done_ = true;
    }

  private:
    clsErrorStack& stack_;
    bool done_ = false;
};

}  // namespace tarn::conduit
