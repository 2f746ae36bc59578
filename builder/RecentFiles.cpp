#include "builder/RecentFiles.h"

#include "text/Windows1252.h"

namespace tarn::builder {

void RecentFiles::Add(const std::string& name, const std::string& title) {
    const std::string folded = text::FoldCase(name);
    for (size_t i = 0; i < names_.size(); ++i) {
        if (text::FoldCase(names_[i]) == folded) {
            names_.erase(names_.begin() + static_cast<long>(i));
            titles_.erase(titles_.begin() + static_cast<long>(i));
            break;
        }
    }
    names_.insert(names_.begin(), name);
    titles_.insert(titles_.begin(), title);
    if (names_.size() > kMaxEntries) {
        names_.resize(kMaxEntries);
        titles_.resize(kMaxEntries);
    }
}

void RecentFiles::AppendStored(const std::string& name, const std::string& title) {
    if (names_.size() >= kMaxEntries) return;
    names_.push_back(name);
    titles_.push_back(title);
}

void RecentFiles::Clear() {
    names_.clear();
    titles_.clear();
}

}  // namespace tarn::builder
