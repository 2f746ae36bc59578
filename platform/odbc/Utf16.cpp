#include "platform/odbc/Utf16.h"

#include "text/Windows1252.h"

namespace tarn::platform::odbc {

std::vector<SQLWCHAR> ToWide(std::string_view utf8) {
    std::vector<SQLWCHAR> out;
    AssignWide(utf8, out);
    return out;
}

void AssignWide(std::string_view utf8, std::vector<SQLWCHAR>& out) {
    out.clear();
    out.reserve(utf8.size() + 1);
    // Plain ASCII, the common case, needs no decoding.
    std::size_t ascii = 0;
    while (ascii < utf8.size() && static_cast<unsigned char>(utf8[ascii]) < 0x80) ++ascii;
    if (ascii == utf8.size()) {
        for (char c : utf8) out.push_back(static_cast<SQLWCHAR>(c));
        out.push_back(0);
        return;
    }
    for (char32_t c : text::DecodeUtf8(utf8)) {
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            out.push_back(static_cast<SQLWCHAR>(0xD800 + (c >> 10)));
            out.push_back(static_cast<SQLWCHAR>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<SQLWCHAR>(c <= 0xFFFF ? c : 0xFFFD));
        }
    }
    out.push_back(0);
}

namespace {

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

void AppendUtf8(const SQLWCHAR* text, std::size_t length, std::string& out) {
    std::size_t i = 0;
    while (i < length) {
        // The common case, kept cheap: rows are mostly ASCII, so a run of it is copied with
        // one growth of the string rather than a check of its capacity per character.
        std::size_t end = i;
        while (end < length && text[end] < 0x80) ++end;
        if (end > i) {
            const std::size_t at = out.size();
            out.resize(at + (end - i));
            for (char* to = out.data() + at; i < end; ++i) *to++ = static_cast<char>(text[i]);
            continue;
        }
        const char32_t c = text[i++];
        if (IsHighSurrogate(c) && i < length && IsLowSurrogate(text[i])) {
            text::AppendCodePoint(out, 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00));
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            text::AppendCodePoint(out, 0xFFFD);
        } else {
            text::AppendCodePoint(out, c);
        }
    }
}

std::string ToUtf8(const SQLWCHAR* text, std::size_t length) {
    std::string out;
    out.reserve(length);
    AppendUtf8(text, length, out);
    return out;
}

std::string ToUtf8FromBuffer(const SQLWCHAR* buffer, std::size_t capacity) {
    std::size_t length = 0;
    while (length < capacity && buffer[length] != 0) ++length;
    return ToUtf8(buffer, length);
}

}  // namespace tarn::platform::odbc
