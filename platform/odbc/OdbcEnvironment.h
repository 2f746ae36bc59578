#pragma once

#include <memory>

#include "platform/odbc/Database.h"

namespace tarn::platform::odbc {

// The real driver manager (unixODBC here, odbc32 on Windows), set up for ODBC 3. Throws
// OdbcError when the driver manager cannot give an environment.
std::unique_ptr<Environment> OpenOdbcEnvironment();

}  // namespace tarn::platform::odbc
