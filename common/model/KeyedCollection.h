#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/model/CollectionErrors.h"
#include "common/model/ProjectingIterator.h"
#include "text/Windows1252.h"

namespace tarn {

// An ordered collection of shared elements, each under a text key that is unique without
// regard to letter case. Positions count from 1. Every failing operation leaves the
// collection as it was.
template <typename T>
class KeyedCollection {
  public:
    using Element = std::shared_ptr<T>;

  private:
    struct Entry {
        std::string key;
        std::string folded;
        Element element;
    };

  public:
    int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
    // Room for `count` elements, for callers that fill a collection of known size in a loop.
    void Reserve(int32_t count) { entries_.reserve(static_cast<size_t>(count)); }

    const Element& Item(int32_t position) const { return entries_[IndexOf(position)].element; }
    const Element& Item(std::string_view key) const { return entries_[IndexOf(key)].element; }

    void Remove(int32_t position) { entries_.erase(entries_.begin() + IndexOf(position)); }
    void Remove(std::string_view key) { entries_.erase(entries_.begin() + IndexOf(key)); }

    bool HasKey(std::string_view key) const { return Find(text::FoldCase(key)) >= 0; }
    const std::string& KeyAt(int32_t position) const { return entries_[IndexOf(position)].key; }

    // Gives the element under oldKey the key newKey at the same position. A newKey equal to
    // oldKey does nothing; one equal to any existing key without regard to case (oldKey
    // itself included) is a duplicate.
    void ChangeKey(std::string_view oldKey, std::string_view newKey) {
        if (oldKey == newKey) return;
        size_t index = IndexOf(oldKey);
        std::string folded = text::FoldCase(newKey);
        if (Find(folded) >= 0) throw DuplicateKeyError(std::string(newKey));
        entries_[index].key = std::string(newKey);
        entries_[index].folded = std::move(folded);
    }

    // In-order enumeration of the elements.
    using const_iterator =
        ProjectingIterator<typename std::vector<Entry>::const_iterator, &Entry::element>;
    const_iterator begin() const { return const_iterator(entries_.begin()); }
    const_iterator end() const { return const_iterator(entries_.end()); }

  protected:
    void Append(std::string key, Element element) {
        InsertAt(entries_.size(), std::move(key), std::move(element));
    }

    // Moves the element at `position` one place towards the front (MoveUp) or the end
    // (MoveDown), re-keying it under `keyOf(element)`.
    template <typename KeyOf>
    void MoveUpBy(int16_t position, KeyOf keyOf) {
        if (position == 1) return;
        size_t index = IndexOf(position);
        Reinsert(index, index - 1, keyOf(*entries_[index].element));
    }
    template <typename KeyOf>
    void MoveDownBy(int16_t position, KeyOf keyOf) {
        if (position == Count()) return;
        size_t index = IndexOf(position);
        Reinsert(index, index + 1, keyOf(*entries_[index].element));
    }

  private:
    long Find(const std::string& folded) const {
        for (size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].folded == folded) return static_cast<long>(i);
        return -1;
    }

    size_t IndexOf(std::string_view key) const {
        long index = Find(text::FoldCase(key));
        if (index < 0) throw KeyNotFoundError(std::string(key));
        return static_cast<size_t>(index);
    }

    size_t IndexOf(int32_t position) const {
        if (position < 1 || position > Count()) throw IndexOutOfRangeError(position);
        return static_cast<size_t>(position - 1);
    }

    void InsertAt(size_t index, std::string key, Element element) {
        std::string folded = text::FoldCase(key);
        if (Find(folded) >= 0) throw DuplicateKeyError(key);
        entries_.insert(entries_.begin() + static_cast<long>(index),
                        Entry{std::move(key), std::move(folded), std::move(element)});
    }

    void Reinsert(size_t from, size_t to, const std::string& newKey) {
        std::string folded = text::FoldCase(newKey);
        long clash = Find(folded);
        if (clash >= 0 && static_cast<size_t>(clash) != from) throw DuplicateKeyError(newKey);
        Entry entry = std::move(entries_[from]);
        entries_.erase(entries_.begin() + static_cast<long>(from));
        entry.key = newKey;
        entry.folded = std::move(folded);
        entries_.insert(entries_.begin() + static_cast<long>(to), std::move(entry));
    }

    std::vector<Entry> entries_;
};

}  // namespace tarn
