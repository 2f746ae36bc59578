#pragma once

#include <memory>

namespace tarn {

// A forward iterator over a container's entries that yields one member of each entry, so a
// collection can enumerate its elements without exposing how it stores them.
template <typename Inner, auto Member>
class ProjectingIterator {
  public:
    explicit ProjectingIterator(Inner it) : it_(it) {}
    const auto& operator*() const { return (*it_).*Member; }
    const auto* operator->() const { return std::addressof((*it_).*Member); }
    ProjectingIterator& operator++() {
        ++it_;
        return *this;
    }
    bool operator==(const ProjectingIterator& other) const { return it_ == other.it_; }

  private:
    Inner it_;
};

}  // namespace tarn
