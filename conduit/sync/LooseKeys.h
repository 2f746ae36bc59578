#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tarn::conduit {

// The keys a batch of desktop writes touches. A batch asks the database about all its keys
// before writing any of them, which answers as record-by-record writing would only while no
// write of the batch can reach another record's row. Whether two keys are one row is the
// database's to say (its collation, padding, number comparison), so this only tells keys that
// some database might take for one another: alike once letter case and accents are folded and
// trailing blanks dropped, the same number, or numbers less than 1 apart of which one has a
// fraction (a column of fewer decimals, an INTEGER or a DECIMAL(10,2), rounds 6.6 into the
// row of 7). A batch holding two such keys is written record by record instead.
class LooseKeys {
  public:
    // Notes a key; false when it might be the same as one noted before.
    bool Add(std::string_view key);
    void Clear() {
        keys_.clear();
        numbers_.clear();
        fractions_ = false;
    }

  private:
    // Notes a number; false when one noted before lies in the same unit (from a whole number
    // up to the next) or a neighbouring one, and one of the two has a fraction: every number
    // less than 1 away is among those, and might be the same row.
    bool AddNumber(double number);

    std::unordered_set<std::string> keys_;
    // The numbers noted, and whether one has a fraction: until one has, whole numbers need no
    // comparing, as the same number is among keys_. A batch notes a few hundred at most.
    std::vector<double> numbers_;
    bool fractions_ = false;
};

// The text two keys share when some database might compare them equal.
std::string LooseKey(std::string_view key);

}  // namespace tarn::conduit
