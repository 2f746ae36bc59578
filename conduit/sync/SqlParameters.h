#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/odbc/Database.h"

namespace tarn::conduit {

// Whether a field of this data type holds a number, which SQL compares bare.
bool IsNumericType(int16_t type);

// A number field's text as a bound value: a whole number as an integer (every digit kept), any
// other number as a double (the text is the double's shortest exact form, so no bit is lost),
// an empty text as NULL (of the field's type: whole numbers for "Integer" and "Short"). A text that
// is no number goes as text, for the database to refuse as it refuses the literal.
void NumberParameter(int16_t type, std::string_view text, platform::odbc::Parameter& parameter);

// The key of a record as its key condition binds it: a number where the key field is numeric
// and the text is a number, and the text itself otherwise (see KeyCondition).
void KeyParameter(int16_t keyType, const std::string& key, platform::odbc::Parameter& parameter);

}  // namespace tarn::conduit
