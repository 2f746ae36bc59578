#pragma once

#include <string>
#include <string_view>

#include "conduit/sync/DesktopDialect.h"

namespace tarn::conduit {

// How statements name things and write values for the open desktop database. Found once when
// the database is opened (FindSqlDialect in DesktopDatabase.h) and never changed after, so
// that whatever builds SQL can take it by const reference.
class SqlDialect {
  public:
    // No delimiters, for a database reached before its quoting has been found.
    SqlDialect() = default;
    SqlDialect(DesktopDialect database, std::string leftDelimiter, std::string rightDelimiter);

    // Which database the connection reaches, where the engine must know (DesktopDialect.h).
    DesktopDialect Database() const { return database_; }
    const std::string& LeftDelimiter() const { return leftDelimiter_; }
    const std::string& RightDelimiter() const { return rightDelimiter_; }
    // Single quotes with embedded ones doubled is the one value literal every database reads
    // alike, whatever quote and escape characters its driver reports.
    const std::string& QuoteCharacter() const { return quoteCharacter_; }
    const std::string& EscapeCharacter() const { return escapeCharacter_; }

    // A table or column name between the delimiters the database was found to accept, a
    // closing delimiter within it doubled.
    std::string Identifier(std::string_view name) const;
    // A value ready to stand between single quotes: embedded quotes doubled.
    std::string EscapeValue(std::string_view value) const;
    // The value between single quotes.
    std::string Literal(std::string_view value) const;

  private:
    DesktopDialect database_ = DesktopDialect::Other;
    std::string leftDelimiter_;
    std::string rightDelimiter_;
    std::string quoteCharacter_ = "'";
    std::string escapeCharacter_ = "'";
};

}  // namespace tarn::conduit
