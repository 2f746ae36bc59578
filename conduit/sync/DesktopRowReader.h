#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/model/clsField.h"
#include "conduit/log/ErrorStack.h"
#include "conduit/sync/DataRecord.h"

namespace tarn::platform::odbc {
class ResultSet;
}

namespace tarn::conduit {

// Reads the rows of one desktop result set as records of a table. Where each field's column
// sits is looked up once, when the reader is made, and the result set is told to read only
// those columns from then on; the layout the records share and the buffer their values are
// gathered in belong to the reader.
class DesktopRowReader {
  public:
    // `definitions` and `rows` must outlive the reader; a field that cannot be read leaves its
    // context on `errors`.
    DesktopRowReader(const colFields& definitions, platform::odbc::ResultSet& rows,
                     clsErrorStack& errors);

    // The record of the current row; null for a row the handheld cannot take (see
    // DesktopRowSkip), and then `skip` says why.
    colDataRecord::Record Read(DesktopRowSkip& skip);
    // Whether a text of the row last read, its key aside, has characters the handheld cannot
    // hold: the handheld shows '?' in their place (a text with a zero byte ends there).
    bool RowTextsAltered() const { return textsAltered_; }

  private:
    // The value of a field's column, which sits at `position` in the rows.
    const std::optional<std::string>& Column(const clsField& definition,
                                             std::optional<std::size_t> position) const;
    // Calls `value(type, column, position)` for each field read from the desktop (position
    // from 0, in the order of the layout) with the column to read, and `status(position)` for
    // the status field, whose value the desktop does not give; stops where one answers false,
    // and says whether none did. A field that fails leaves its context on the error stack.
    template <typename Value, typename Status>
    bool EachField(Value value, Status status);
    // Reads the row's values as texts into values_; the key's own text goes to `keyText`.
    void ReadTexts(const std::string*& keyText);
    // Reads the row as the handheld record it becomes into buffer_ (its length to `length`)
    // and its key's text into key_; false where a value would not read back from the record
    // as its text (see EncodeDesktopValue), and the row is to be read as texts.
    bool ReadRecordBytes(const std::string*& keyText, std::size_t& length);
    // Whether a text of values_, the key aside, has characters the handheld cannot hold.
    bool TextsAltered() const;

    const colFields& definitions_;
    const platform::odbc::ResultSet& rows_;
    clsErrorStack& errors_;
    std::vector<std::optional<std::size_t>> positions_;  // one per field definition
    std::shared_ptr<const RecordLayout> layout_;
    std::vector<std::string> values_;
    // Whether rows may be held as handheld records: none of the fields is a "Byte" field,
    // which the handheld does not store.
    bool asRecordBytes_ = false;
    std::vector<char> buffer_;
    std::string key_;
    bool textsAltered_ = false;
};

}  // namespace tarn::conduit
