#pragma once

// Error numbers raised by the sync-suite layer. They are the COM result codes the original
// components raise for the same situations, so a bail-out in the HotSync log reads the same.
namespace tarn::platform::suite_error {

inline constexpr int kInvalidArgument = -2147024809;  // 0x80070057: bad Creator ID or name
inline constexpr int kNotFound = -2147023728;         // 0x80070490: no such conduit/user/session
inline constexpr int kAccessDenied = -2147024891;     // 0x80070005: state cannot be written
inline constexpr int kFailure = -2147467259;          // 0x80004005: damaged state, other faults

}  // namespace tarn::platform::suite_error
