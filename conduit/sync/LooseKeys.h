#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

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
        units_.clear();
    }

  private:
    // Notes a number; false when a number less than 1 away, with a fraction or not, might be
    // the same row.
    bool AddNumber(double number);

    std::unordered_set<std::string> keys_;
    // The units (from a whole number up to the next) numbers were noted in, by the whole number
    // each starts at: whether one of them there has a fraction.
    std::unordered_map<double, bool> units_;
};

// The text two keys share when some database might compare them equal.
std::string LooseKey(std::string_view key);

}  // namespace tarn::conduit
