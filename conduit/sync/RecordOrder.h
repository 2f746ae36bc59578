#pragma once

#include <string>
#include <string_view>

namespace tarn::conduit {

// A text whose byte order is the order of record keys in a queue: letters compare without
// regard to case, and accented letters sort beside their plain letter (é after e, before f),
// as a desktop user expects of a sorted list. Two keys get the same order text exactly when
// they are equal without regard to case.
std::string RecordOrderKey(std::string_view key);

// Compares the order text `order` with RecordOrderKey(key): negative, zero or positive as it
// sorts before, with or after it. An ASCII key's order text is never built, so a queue can
// keep its records without keeping their order texts.
int CompareRecordOrder(std::string_view order, std::string_view key);

}  // namespace tarn::conduit
