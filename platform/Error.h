#pragma once

#include "platform/NumberedError.h"

namespace tarn::platform {

// A failed call on the outside world (ODBC, handheld database, registry, conduit registry).
class PlatformError : public NumberedError {
  public:
    using NumberedError::NumberedError;
};

}  // namespace tarn::platform
