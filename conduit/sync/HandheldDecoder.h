#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/model/clsField.h"
#include "conduit/log/ErrorStack.h"
#include "conduit/sync/DataRecord.h"

namespace tarn::conduit {

// Decodes the handheld records of one table. Made once per table load: it builds the layout
// the records share once, and gathers each record's values in the same buffers.
class HandheldDecoder {
  public:
    // `definitions` must outlive the decoder; a field that cannot be decoded leaves its
    // context on `errors`.
    HandheldDecoder(const colFields& definitions, clsErrorStack& errors);

    // One record, field after field as the definitions say. Throws SyncError 9 for a record
    // that ends inside a field, 5 for a time field that holds no time and for definitions
    // without a stored field. The record holds the bytes of its fields and decodes them when
    // a value is first asked for, which can then no longer fail.
    colDataRecord::Record Decode(std::string_view bytes);

  private:
    const colFields& definitions_;
    clsErrorStack& errors_;
    std::shared_ptr<const RecordLayout> layout_;
    std::string key_;
};

// The texts of the fields of `layout` from the bytes of a record Decode accepted.
void DecodeStoredValues(const RecordLayout& layout, std::string_view bytes,
                        std::vector<std::string>& values);

}  // namespace tarn::conduit
