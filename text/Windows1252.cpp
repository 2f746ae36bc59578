#include "text/Windows1252.h"

#include <array>

namespace tarn::text {
namespace {

// Code points of the bytes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t FoldCodePoint(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 0x20;
    if (c < 0x80) return c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    switch (c) {
        case 0x0160:
            return 0x0161;  // Š
        case 0x0152:
            return 0x0153;  // Œ
        case 0x017D:
            return 0x017E;  // Ž
        case 0x0178:
            return 0x00FF;  // Ÿ
        default:
            break;
    }
    // Latin Extended-A pairs (even upper, odd lower) and Greek/Cyrillic basics.
    if (c >= 0x0100 && c <= 0x0137 && (c % 2) == 0) return c + 1;
    if (c >= 0x0391 && c <= 0x03AB && c != 0x03A2) return c + 0x20;
    if (c >= 0x0410 && c <= 0x042F) return c + 0x20;
    if (c >= 0x0400 && c <= 0x040F) return c + 0x50;
    return c;
}

char32_t UpperCodePoint(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if (c < 0x80) return c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    switch (c) {
        case 0x0161:
            return 0x0160;
        case 0x0153:
            return 0x0152;
        case 0x017E:
            return 0x017D;
        case 0x00FF:
            return 0x0178;
        default:
            break;
    }
    if (c >= 0x0101 && c <= 0x0137 && (c % 2) == 1) return c - 1;
    if (c >= 0x03B1 && c <= 0x03CB && c != 0x03C2) return c - 0x20;
    if (c >= 0x0430 && c <= 0x044F) return c - 0x20;
    if (c >= 0x0450 && c <= 0x045F) return c - 0x50;
    return c;
}

// Where the run of ASCII bytes starting at `pos` ends.
size_t AsciiRunEnd(std::string_view text, size_t pos) {
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80) ++pos;
    return pos;
}

void AppendUtf8Bytes(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Reads one code point at pos and advances; a malformed sequence yields its first byte.
char32_t NextCodePoint(std::string_view s, size_t& pos) {
    unsigned char b0 = static_cast<unsigned char>(s[pos]);
    int length = b0 < 0x80           ? 1
                 : (b0 >> 5) == 0x6  ? 2
                 : (b0 >> 4) == 0xE  ? 3
                 : (b0 >> 3) == 0x1E ? 4
                                     : 0;
    if (length == 1 || length == 0 || pos + length > s.size()) {
        ++pos;
        return b0;
    }
    char32_t c = b0 & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        unsigned char b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return b0;
        }
        c = (c << 6) | (b & 0x3F);
    }
    pos += length;
    return c;
}

template <typename Map>
std::string MapCodePoints(std::string_view utf8, Map map) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        unsigned char b = static_cast<unsigned char>(utf8[pos]);
        if (b < 0x80) {  // fast path for ASCII
            out += static_cast<char>(map(b));
            ++pos;
        } else {
            AppendUtf8Bytes(out, map(NextCodePoint(utf8, pos)));
        }
    }
    return out;
}

}  // namespace

char32_t CodePointOfAnsi(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
    return byte;
}

int AnsiCodeOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == c) return static_cast<int>(0x80 + i);
    return -1;
}

std::string ToAnsi(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        unsigned char b = static_cast<unsigned char>(utf8[pos]);
        if (b < 0x80) {  // ASCII is the same in both: a run of it is copied at once
            const size_t end = AsciiRunEnd(utf8, pos);
            out.append(utf8, pos, end - pos);
            pos = end;
            continue;
        }
        int code = AnsiCodeOf(NextCodePoint(utf8, pos));
        out += code < 0 ? '?' : static_cast<char>(code);
    }
    return out;
}

bool IsAscii(std::string_view text) {
    return AsciiRunEnd(text, 0) == text.size();
}

std::string FromAnsi(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (size_t pos = 0; pos < ansi.size();) {
        const size_t end = AsciiRunEnd(ansi, pos);
        out.append(ansi, pos, end - pos);  // ASCII is the same in both
        pos = end;
        if (pos < ansi.size())
            AppendUtf8Bytes(out, CodePointOfAnsi(static_cast<unsigned char>(ansi[pos++])));
    }
    return out;
}

std::u32string DecodeUtf8(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) out += NextCodePoint(utf8, pos);
    return out;
}

std::string EncodeUtf8(std::u32string_view codePoints) {
    std::string out;
    out.reserve(codePoints.size());
    for (char32_t c : codePoints) AppendUtf8Bytes(out, c);
    return out;
}

void AppendCodePoint(std::string& utf8, char32_t codePoint) {
    AppendUtf8Bytes(utf8, codePoint);
}

std::string FoldCase(std::string_view utf8) {
    return MapCodePoints(utf8, FoldCodePoint);
}

std::string ToUpper(std::string_view utf8) {
    return MapCodePoints(utf8, UpperCodePoint);
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() == b.size()) {
        bool ascii = true;
        for (size_t i = 0; i < a.size() && ascii; ++i) {
            unsigned char x = static_cast<unsigned char>(a[i]),
                          y = static_cast<unsigned char>(b[i]);
            if (x >= 0x80 || y >= 0x80) {
                ascii = false;
            } else if (FoldCodePoint(x) != FoldCodePoint(y)) {
                return false;
            }
        }
        if (ascii) return true;
    }
    return FoldCase(a) == FoldCase(b);
}

}  // namespace tarn::text
