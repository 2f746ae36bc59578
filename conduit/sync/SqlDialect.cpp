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
    // A closing delimiter within the name is doubled, as every database that quotes with it
    // reads it: names read from a table may hold any character.
    for (std::size_t at = 0; at < name.size();) {
        if (!rightDelimiter_.empty() &&
            name.substr(at, rightDelimiter_.size()) == rightDelimiter_) {
            identifier += rightDelimiter_;
            identifier += rightDelimiter_;
            at += rightDelimiter_.size();
        } else {
            identifier += name[at++];
        }
    }
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
