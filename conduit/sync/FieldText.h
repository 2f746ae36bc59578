#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarn::conduit {

// The text a field holds for a desktop column's value, in exactly the form the handheld
// record decoder gives the same value: whole numbers without a fraction, doubles in their
// shortest exact form, dates as yyyy-mm-dd ("0" for the zero date), times as hh:mm:ss. One
// value thus has one text, and one queue key, whichever side it came from ("7.0", "7.00" and
// 7 are all "7"). Texts and unknown types pass unchanged; blank text stays empty, as a NULL
// does. Throws SyncError when the text is no value of the field's type: a guess would write
// a wrong value to the other side.
std::string DesktopValueText(int16_t type, std::string_view text);

// The same text written into `out`, which keeps its capacity: reading a table row by row
// then allocates only for values that outgrow the last row's.
void AssignDesktopValueText(int16_t type, std::string_view text, std::string& out);

// The whole number an "Integer" or "Short" field takes from a desktop text that is not blank:
// its digits exactly (a 64-bit key is not squeezed through a double), or any other number
// rounded to the nearest, halves to even, as the handheld encoder rounds it. Nullopt where
// that lies beyond 64 bits. Throws SyncError, as DesktopValueText does, for no number.
std::optional<int64_t> DesktopWholeNumber(std::string_view text);

// Whether a number, date or time field reads `text` as no value: empty or only blanks.
bool IsBlankDesktopText(std::string_view text);

}  // namespace tarn::conduit
