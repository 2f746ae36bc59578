#include "conduit/log/ErrorStack.h"

#include <stdexcept>

namespace tarn::conduit {

std::string clsErrorStack::Pop() {
    std::string top = Peek();
    entries_.pop_back();
    return top;
}

const std::string& clsErrorStack::Peek() const {
    if (entries_.empty()) throw std::out_of_range("Subscript out of range");
    return entries_.back();
}

}  // namespace tarn::conduit
