#include "platform/odbc/Utf8DriverCharset.h"

namespace tarn::platform::odbc {

// Windows hands text to drivers through the wide entry points: no locale is involved.
Utf8DriverCharset::Utf8DriverCharset() = default;
Utf8DriverCharset::~Utf8DriverCharset() = default;

}  // namespace tarn::platform::odbc
