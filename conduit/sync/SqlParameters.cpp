#include "conduit/sync/SqlParameters.h"

#include <charconv>

#include "common/model/DataTypes.h"
#include "conduit/sync/TarnFunc.h"

namespace tarn::conduit {
namespace {

bool SetWholeNumber(std::string_view text, platform::odbc::Parameter& parameter) {
    int64_t whole = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, whole);
    if (error != std::errc() || stop != end) return false;
    parameter.SetInteger(whole);
    return true;
}

}  // namespace

bool IsNumericType(int16_t type) {
    return type == kTypeInteger || type == kTypeShort || type == kTypeSingle || type == kTypeDouble;
}

void NumberParameter(int16_t type, std::string_view text, platform::odbc::Parameter& parameter) {
    using platform::odbc::ParameterType;
    const bool whole = type == kTypeInteger || type == kTypeShort;
    if (text.empty())
        return parameter.SetNull(whole ? ParameterType::Integer : ParameterType::Double);
    if (SetWholeNumber(text, parameter)) return;
    if (std::optional<double> number = ParseNumber(text)) return parameter.SetDouble(*number);
    parameter.SetText(text);
}

void KeyParameter(int16_t keyType, const std::string& key, platform::odbc::Parameter& parameter) {
    if (IsNumericType(keyType) && ParseNumber(key)) return NumberParameter(keyType, key, parameter);
    parameter.SetText(key);
}

}  // namespace tarn::conduit
