#include "conduit/sync/RecordOrder.h"

#include <array>

#include "text/Windows1252.h"

// The order text is a primary part, one zero byte, then the key folded to lower case. The
// primary part holds one weight per character of the folded key, written as byte codes whose
// byte order is the weight order:
//
//   1 .. 66       ASCII controls and symbols, in code order
//   67, x         a symbol of the Latin-1 range (A0..BF, C1 controls, multiplication and
//                 division signs), x = code - 0x7F
//   68 .. 77      the digits 0 .. 9
//   78 .. 103     the letters a .. z; accented letters take their plain letter's weight, and
//                 ligatures and sharp s spell out their letters
//   104, x, y, z  any other character, by code point in three 7-bit groups, each plus one
//
// No byte of the primary part is zero, so the zero byte ends it unambiguously and the rest is
// the folded key itself: two keys share an order text exactly when their folded forms are equal.
// Plain letters thus sort before their accented forms only when all else is equal (e < é < f),
// and symbols come before digits, digits before letters, as in a desktop's sorted lists.
namespace tarn::conduit {
namespace {

constexpr bool IsAsciiSymbol(unsigned c) {
    return !(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z');
}

constexpr unsigned CountAsciiSymbols() {
    unsigned count = 0;
    for (unsigned c = 0; c < 0x80; ++c) count += IsAsciiSymbol(c) ? 1 : 0;
    return count;
}

constexpr unsigned char kLatinSymbolLead = CountAsciiSymbols() + 1;
constexpr unsigned char kFirstDigit = kLatinSymbolLead + 1;
constexpr unsigned char kFirstLetter = kFirstDigit + 10;
constexpr unsigned char kOtherLead = kFirstLetter + 26;
static_assert(kOtherLead < 0x80);

constexpr std::array<unsigned char, 0x80> MakeAsciiWeights() {
    std::array<unsigned char, 0x80> weights{};
    unsigned char symbol = 1;
    for (unsigned c = 0; c < 0x80; ++c) {
        if (c >= '0' && c <= '9')
            weights[c] = static_cast<unsigned char>(kFirstDigit + (c - '0'));
        else if (c >= 'a' && c <= 'z')
            weights[c] = static_cast<unsigned char>(kFirstLetter + (c - 'a'));
        else if (c >= 'A' && c <= 'Z')
            weights[c] = static_cast<unsigned char>(kFirstLetter + (c - 'A'));
        else
            weights[c] = symbol++;
    }
    return weights;
}

constexpr std::array<unsigned char, 0x80> kAsciiWeights = MakeAsciiWeights();

struct LetterRange {
    char32_t first, last;
    const char* letters;
};

// Letters of Latin-1, Windows-1252 and Latin Extended-A with the plain letters they sort with.
constexpr LetterRange kLetterRanges[] = {
    {0xC0, 0xC5, "a"},   {0xC6, 0xC6, "ae"},   {0xC7, 0xC7, "c"},   {0xC8, 0xCB, "e"},
    {0xCC, 0xCF, "i"},   {0xD0, 0xD0, "d"},    {0xD1, 0xD1, "n"},   {0xD2, 0xD6, "o"},
    {0xD8, 0xD8, "o"},   {0xD9, 0xDC, "u"},    {0xDD, 0xDD, "y"},   {0xDE, 0xDE, "th"},
    {0xDF, 0xDF, "ss"},  {0xE0, 0xE5, "a"},    {0xE6, 0xE6, "ae"},  {0xE7, 0xE7, "c"},
    {0xE8, 0xEB, "e"},   {0xEC, 0xEF, "i"},    {0xF0, 0xF0, "d"},   {0xF1, 0xF1, "n"},
    {0xF2, 0xF6, "o"},   {0xF8, 0xF8, "o"},    {0xF9, 0xFC, "u"},   {0xFD, 0xFD, "y"},
    {0xFE, 0xFE, "th"},  {0xFF, 0xFF, "y"},    {0x100, 0x105, "a"}, {0x106, 0x10D, "c"},
    {0x10E, 0x111, "d"}, {0x112, 0x11B, "e"},  {0x11C, 0x123, "g"}, {0x124, 0x127, "h"},
    {0x128, 0x131, "i"}, {0x132, 0x133, "ij"}, {0x134, 0x135, "j"}, {0x136, 0x138, "k"},
    {0x139, 0x142, "l"}, {0x143, 0x14B, "n"},  {0x14C, 0x151, "o"}, {0x152, 0x153, "oe"},
    {0x154, 0x159, "r"}, {0x15A, 0x161, "s"},  {0x162, 0x167, "t"}, {0x168, 0x173, "u"},
    {0x174, 0x175, "w"}, {0x176, 0x178, "y"},  {0x179, 0x17E, "z"}, {0x17F, 0x17F, "s"},
    {0x192, 0x192, "f"},
};

const char* PlainLetters(char32_t c) {
    for (const auto& range : kLetterRanges)
        if (c >= range.first && c <= range.last) return range.letters;
    return nullptr;
}

void AppendWeight(std::string& order, char32_t c) {
    if (c < 0x80) {
        order += static_cast<char>(kAsciiWeights[c]);
    } else if (const char* letters = PlainLetters(c)) {
        for (; *letters; ++letters) order += static_cast<char>(kAsciiWeights[*letters]);
    } else if (c <= 0xFF) {  // what is left of Latin-1 are symbols and C1 controls
        order += static_cast<char>(kLatinSymbolLead);
        order += static_cast<char>(c - 0x7F);
    } else {
        order += static_cast<char>(kOtherLead);
        order += static_cast<char>(((c >> 14) & 0x7F) + 1);
        order += static_cast<char>(((c >> 7) & 0x7F) + 1);
        order += static_cast<char>((c & 0x7F) + 1);
    }
}

char FoldAscii(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + ('a' - 'A')) : ch;
}

int Compare(unsigned char a, unsigned char b) {
    return a < b ? -1 : 1;
}

}  // namespace

int CompareRecordOrder(std::string_view order, std::string_view key) {
    std::size_t at = 0;
    // The primary part: one weight per character. An ASCII character's weight does not depend
    // on what follows it, so only a key that is still equal up to its first other character
    // needs its order text built.
    for (char ch : key) {
        if (static_cast<unsigned char>(ch) >= 0x80) return order.compare(RecordOrderKey(key));
        if (at == order.size()) return -1;
        const unsigned char mine = static_cast<unsigned char>(order[at++]);
        const unsigned char theirs = kAsciiWeights[static_cast<unsigned char>(ch)];
        if (mine != theirs) return Compare(mine, theirs);
    }
    // The key's zero byte, which sorts before any weight `order` may still have.
    if (at == order.size()) return -1;
    if (order[at++] != '\0') return 1;
    // The folded key.
    for (char ch : key) {
        if (at == order.size()) return -1;
        const unsigned char mine = static_cast<unsigned char>(order[at++]);
        const unsigned char theirs = static_cast<unsigned char>(FoldAscii(ch));
        if (mine != theirs) return Compare(mine, theirs);
    }
    return at == order.size() ? 0 : 1;
}

std::string RecordOrderKey(std::string_view key) {
    // Every admission to a queue builds one: an ASCII key, the common case, is folded here.
    if (text::IsAscii(key)) {
        std::string order(2 * key.size() + 1, '\0');
        for (std::size_t i = 0; i < key.size(); ++i) {
            const char ch = key[i];
            order[i] = static_cast<char>(kAsciiWeights[static_cast<unsigned char>(ch)]);
            order[key.size() + 1 + i] = FoldAscii(ch);
        }
        return order;
    }
    std::string folded = text::FoldCase(key);
    std::string order;
    order.reserve(2 * folded.size() + 1);
    for (char32_t c : text::DecodeUtf8(folded)) AppendWeight(order, c);
    order += '\0';
    order += folded;
    return order;
}

}  // namespace tarn::conduit
