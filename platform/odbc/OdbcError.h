#pragma once

#include <string>
#include <utility>

#include "platform/Error.h"

namespace tarn::platform::odbc {

// A failed ODBC call. number() is the driver's native error number (0 when only the driver
// manager spoke); description() joins the texts of all diagnostic records with "; ". The
// SQLSTATE of the first record is kept for callers that need to tell failures apart.
class OdbcError : public PlatformError {
  public:
    OdbcError(int number, const std::string& description, std::string sqlState)
        : PlatformError(number, description), sqlState_(std::move(sqlState)) {}
    const std::string& SqlState() const { return sqlState_; }

  private:
    std::string sqlState_;
};

// Numbers of the failures this layer finds itself, outside any driver.
inline constexpr int kColumnNotFound = -1;
inline constexpr int kNoCurrentRow = -2;
inline constexpr int kNotPrepared = -3;

}  // namespace tarn::platform::odbc
