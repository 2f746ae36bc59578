#pragma once

#include <cstdint>
#include <string>

#include "common/model/KeyedCollection.h"

namespace tarn {

// One field (column) of a table; during a sync also one field of a sync record.
class clsField {
  public:
    std::string FieldName;
    int16_t DataType = 6;  // "String"
    std::string Filter;
    std::string Value;  // always text; numbers and dates are held in their text form
};

class colFields : public KeyedCollection<clsField> {
  public:
    std::shared_ptr<clsField> Add(const std::string& DesktopFieldName, int16_t DataType,
                                  const std::string& Filter = "");
    // Appends the caller's own field object under the key of its FieldName.
    void Append(const std::shared_ptr<clsField>& tNewField);
    void MoveUp(int16_t Key);
    void MoveDown(int16_t Key);
};

}  // namespace tarn
