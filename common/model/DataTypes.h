#pragma once

#include <cstdint>
#include <string>

namespace tarn {

// Field data type codes: how a field travels in a handheld record and into SQL.
enum DataTypeCode : int16_t {
    kTypeByte = 0,
    kTypeDate = 1,
    kTypeDouble = 2,
    kTypeInteger = 3,
    kTypeShort = 4,
    kTypeSingle = 5,
    kTypeString = 6,
    kTypeTime = 7,
    kTypeRecordStatus = 8,
    kTypeSignature = 9,
    kTypeIgnoreField = 10,
};

// Desktop field name the builder gives a "RecordStatus" field.
inline constexpr const char* kStatusFlagFieldName = "##STATUSFLAG##";

// The display name of a code, or empty text for an unknown code.
std::string DataTypeName(int16_t code);

// The data type proposed for a desktop column of the given ODBC SQL type code.
int16_t DataTypeFromColumnType(int16_t columnType);

}  // namespace tarn
