#pragma once

#include <string>
#include <vector>

namespace tarn::builder {

// The recent-file list of the File menu: names (the key for duplicates, compared without regard
// to letter case) and titles (what is shown and opened), most recent first, at most four.
class RecentFiles {
  public:
    static constexpr int kMaxEntries = 4;

    int Count() const { return static_cast<int>(names_.size()); }
    // Positions count from 0, the most recent entry.
    const std::string& Name(int position) const { return names_.at(position); }
    const std::string& Title(int position) const { return titles_.at(position); }

    // Puts the entry first; an entry of the same name (any letter case) goes, and so does a
    // fifth one.
    void Add(const std::string& name, const std::string& title);
    // Appends an entry as read from the store; beyond four entries nothing is kept.
    void AppendStored(const std::string& name, const std::string& title);
    void Clear();

  private:
    std::vector<std::string> names_;
    std::vector<std::string> titles_;
};

// The per-user settings store: application "TarnConduit", section "MRUList", values "Name1" to
// "Name4" and "Title1" to "Title4". Loading skips empty names; saving writes all eight values,
// empty beyond the list's length.
RecentFiles LoadRecentFiles();
void SaveRecentFiles(const RecentFiles& files);

}  // namespace tarn::builder
