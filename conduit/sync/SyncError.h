#pragma once

#include "platform/NumberedError.h"

namespace tarn::conduit {

// An error that ends a table's synchronisation: the bail-out reports its number and
// description. Conversion failures use the numbers desktop users know from the original
// conduit's runtime: 5 invalid argument, 6 overflow, 9 out of range, 13 type mismatch.
class SyncError : public NumberedError {
  public:
    using NumberedError::NumberedError;
};

inline constexpr int kErrInvalidArgument = 5;
inline constexpr int kErrOverflow = 6;
inline constexpr int kErrOutOfRange = 9;
inline constexpr int kErrTypeMismatch = 13;
inline constexpr int kErrOutOfMemory = 7;
inline constexpr int kErrInternal = 51;       // a failure with no number of its own
inline constexpr int kErrDuplicateKey = 457;  // a key already in a collection

}  // namespace tarn::conduit
