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

}  // namespace tarn::conduit
