#include "platform/suite/IniDocument.h"

#include <algorithm>

#include "text/Windows1252.h"

namespace tarn::platform {
namespace {

bool SameName(std::string_view a, std::string_view b) {
    return text::EqualsIgnoreCase(a, b);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads one quoted text starting at text[pos] == '"'. On success `pos` is just past the closing
// quote.
std::optional<std::string> ReadQuoted(std::string_view text, size_t& pos) {
    if (pos >= text.size() || text[pos] != '"') return std::nullopt;
    std::string out;
    for (size_t i = pos + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            pos = i + 1;
            return out;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= text.size()) return std::nullopt;
        switch (text[i]) {
            case '\\':
                out += '\\';
                break;
            case '"':
                out += '"';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                if (i + 2 >= text.size()) return std::nullopt;
                int high = HexDigit(text[i + 1]), low = HexDigit(text[i + 2]);
                if (high < 0 || low < 0) return std::nullopt;
                out += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace

const std::string* IniSection::Find(std::string_view entryName) const {
    for (const auto& entry : entries)
        if (SameName(entry.name, entryName)) return &entry.value;
    return nullptr;
}

void IniSection::Set(std::string_view entryName, std::string value) {
    for (auto& entry : entries) {
        if (SameName(entry.name, entryName)) {
            entry.value = std::move(value);
            return;
        }
    }
    entries.push_back({std::string(entryName), std::move(value)});
}

bool IniSection::Remove(std::string_view entryName) {
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const IniEntry& e) { return SameName(e.name, entryName); });
    if (it == entries.end()) return false;
    entries.erase(it);
    return true;
}

IniSection* IniDocument::Find(std::string_view sectionName) {
    for (auto& section : sections)
        if (SameName(section.name, sectionName)) return &section;
    return nullptr;
}

const IniSection* IniDocument::Find(std::string_view sectionName) const {
    return const_cast<IniDocument*>(this)->Find(sectionName);
}

IniSection& IniDocument::FindOrAdd(std::string_view sectionName) {
    if (IniSection* found = Find(sectionName)) return *found;
    sections.push_back({std::string(sectionName), {}});
    return sections.back();
}

bool IniDocument::Remove(std::string_view sectionName) {
    auto it = std::find_if(sections.begin(), sections.end(),
                           [&](const IniSection& s) { return SameName(s.name, sectionName); });
    if (it == sections.end()) return false;
    sections.erase(it);
    return true;
}

std::optional<IniDocument> ParseIni(std::string_view text, std::string* error) {
    IniDocument document;
    size_t lineNumber = 0;
    auto fail = [&](const std::string& why) -> std::optional<IniDocument> {
        if (error) *error = "line " + std::to_string(lineNumber) + ": " + why;
        return std::nullopt;
    };
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos) continue;
        line.remove_prefix(first);
        if (line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            size_t close = line.rfind(']');
            if (close == std::string_view::npos || close == 0)
                return fail("section header without ']'");
            std::string_view name = line.substr(1, close - 1);
            if (!IsValidSectionName(name)) return fail("control character in a section name");
            document.sections.push_back({std::string(name), {}});
            continue;
        }
        if (line[0] != '"') return fail("expected a section header or a quoted entry name");
        if (document.sections.empty()) return fail("entry outside any section");
        size_t pos = 0;
        std::optional<std::string> name = ReadQuoted(line, pos);
        if (!name) return fail("bad quoted entry name");
        if (pos >= line.size() || line[pos] != '=') return fail("expected '=' after the name");
        document.sections.back().entries.push_back(
            {std::move(*name), std::string(line.substr(pos + 1))});
    }
    return document;
}

std::string FormatIni(const IniDocument& document) {
    std::string out;
    for (const auto& section : document.sections) {
        if (!out.empty()) out += '\n';
        out += '[' + section.name + "]\n";
        for (const auto& entry : section.entries)
            out += QuoteText(entry.name) + '=' + entry.value + '\n';
    }
    return out;
}

std::string QuoteText(std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    out += "\\x";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 15];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

std::optional<std::string> UnquoteText(std::string_view quoted) {
    size_t pos = 0;
    std::optional<std::string> text = ReadQuoted(quoted, pos);
    if (!text || pos != quoted.size()) return std::nullopt;
    return text;
}

bool IsValidSectionName(std::string_view name) {
    return std::none_of(name.begin(), name.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

}  // namespace tarn::platform
