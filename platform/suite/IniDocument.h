#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text format shared by the state files under TARN_HOME:
//
//   [section name]
//   "entry name"=raw value
//
// Section names run to the last ']' of their line and may hold any character but control
// characters. Entry names are always quoted (see QuoteText) so they may hold '=' or anything
// else. The raw value is left to the owner of the file to interpret. Blank lines and lines
// starting with ';' or '#' are ignored. Names compare without regard to letter case, as
// Windows registry keys and value names do.
namespace tarn::platform {

struct IniEntry {
    std::string name;
    std::string value;  // raw text right of '='
};

struct IniSection {
    std::string name;
    std::vector<IniEntry> entries;

    const std::string* Find(std::string_view entryName) const;
    void Set(std::string_view entryName, std::string value);
    bool Remove(std::string_view entryName);
};

struct IniDocument {
    std::vector<IniSection> sections;

    IniSection* Find(std::string_view sectionName);
    const IniSection* Find(std::string_view sectionName) const;
    IniSection& FindOrAdd(std::string_view sectionName);
    bool Remove(std::string_view sectionName);
};

// Parses a whole file. Returns nothing, with the line number and reason in `error`, when a line
// is neither blank, a comment, a section header nor a quoted entry.
std::optional<IniDocument> ParseIni(std::string_view text, std::string* error = nullptr);
std::string FormatIni(const IniDocument& document);

// A text between double quotes in which backslash, double quote and control characters are
// escaped (\\ \" \n \r \t \xHH), so that any UTF-8 text, newlines included, fits on one line
// and reads back unchanged. Other bytes are written as they are.
std::string QuoteText(std::string_view text);
// The inverse of QuoteText for a whole raw value; nothing when it is not exactly one quoted text.
std::optional<std::string> UnquoteText(std::string_view quoted);

// Section names may not hold control characters (they would break the line structure).
bool IsValidSectionName(std::string_view name);

}  // namespace tarn::platform
