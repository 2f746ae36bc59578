#include "conduit/sync/SqlDialect.h"

#include <utility>

namespace tarn::conduit {

SqlDialect::SqlDialect(DesktopDialect database, std::string leftDelimiter,
                       std::string rightDelimiter)
    : database_(database),
      leftDelimiter_(std::move(leftDelimiter)),
      rightDelimiter_(std::move(rightDelimiter)) {}

std::string SqlDialect::Identifier(std::string_view name) const {
    std::string identifier;
    identifier.reserve(leftDelimiter_.size() + name.size() + rightDelimiter_.size());
    identifier += leftDelimiter_;
    identifier += name;
    identifier += rightDelimiter_;
    return identifier;
}

std::string SqlDialect::EscapeValue(std::string_view value) const {
    std::string escaped;
    escaped.reserve(value.size());
    for (char c : value) {
        if (c == '\'') escaped += '\'';
        escaped += c;
    }
    return escaped;
}

std::string SqlDialect::Literal(std::string_view value) const {
    return "'" + EscapeValue(value) + "'";
}

}  // namespace tarn::conduit
