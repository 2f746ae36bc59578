#include "common/model/DataTypes.h"

#include <array>

namespace tarn {

std::string DataTypeName(int16_t code) {
    static constexpr std::array<const char*, 11> kNames = {
        "Byte",   "Date", "Double",       "Integer",   "Short",      "Single",
        "String", "Time", "RecordStatus", "Signature", "IgnoreField"};
    if (code < 0 || code >= static_cast<int16_t>(kNames.size())) return {};
    return kNames[static_cast<size_t>(code)];
}

int16_t DataTypeFromColumnType(int16_t columnType) {
    switch (columnType) {
        case -5:  // BIGINT
        case -2:  // BINARY
        case 4:   // INTEGER
        case 2:   // NUMERIC
        case 7:   // REAL
        case 5:   // SMALLINT
        case -6:  // TINYINT
            return kTypeInteger;
        case -7:  // BIT
            return kTypeByte;
        case 1:   // CHAR
        case -4:  // LONGVARBINARY
        case -1:  // LONGVARCHAR
        case -3:  // VARBINARY
        case 12:  // VARCHAR
            return kTypeString;
        case 3:  // DECIMAL
        case 8:  // DOUBLE
        case 6:  // FLOAT
            return kTypeDouble;
        case 11:  // TIMESTAMP
            return kTypeDate;
        case 9:   // DATE
        case 10:  // TIME
            return kTypeIgnoreField;
        default:
            return kTypeString;
    }
}

}  // namespace tarn
