#pragma once

#include <cstdint>
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

}  // namespace tarn::conduit
