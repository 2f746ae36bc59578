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

    // Where a field's column sits in the rows, and the column that, when not NULL, holds its
    // value's exact text instead (see ExactNumberColumns).
    struct Columns {
        std::optional<std::size_t> value;
        std::optional<std::size_t> exact;
    };

  private:
    const colFields& definitions_;
    const platform::odbc::ResultSet& rows_;
    clsErrorStack& errors_;
    std::vector<Columns> positions_;  // one per field definition
    std::shared_ptr<const RecordLayout> layout_;
    std::vector<std::string> values_;
};

}  // namespace tarn::conduit
