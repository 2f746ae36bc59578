#pragma once

#include <stdexcept>
#include <string>

namespace tarn {

// The three ways a keyed collection refuses an operation; callers catch the one they expect.
class CollectionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class DuplicateKeyError : public CollectionError {
  public:
    explicit DuplicateKeyError(const std::string& key)
        : CollectionError("Key is already associated with an element of this collection: " + key) {}
};

class KeyNotFoundError : public CollectionError {
  public:
    explicit KeyNotFoundError(const std::string& key)
        : CollectionError("No element of this collection has the key: " + key) {}
};

class IndexOutOfRangeError : public CollectionError {
  public:
    explicit IndexOutOfRangeError(long position)
        : CollectionError("Position out of range: " + std::to_string(position)) {}
};

}  // namespace tarn
