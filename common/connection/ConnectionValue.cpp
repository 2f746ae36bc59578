#include "common/connection/ConnectionValue.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace tarn {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool NeedsBraces(std::string_view value) {
    if (value.find_first_of(";{}=") != std::string_view::npos) return true;
    return !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool AllOf(std::string_view text, bool (*allowed)(char)) {
    return !text.empty() && std::all_of(text.begin(), text.end(), allowed);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsProtocolCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
}

// "Port=<digits>" or "Protocol=<letters, digits, '.', '-'>": options that choose how to reach
// the server, never which database or which account.
bool IsServerOption(std::string_view option) {
    std::size_t equals = option.find('=');
    if (equals == std::string_view::npos) return false;
    std::string_view key = option.substr(0, equals);
    std::string_view value = option.substr(equals + 1);
    if (EqualsIgnoreCase(key, "Port")) return value.size() <= 5 && AllOf(value, IsDigit);
    if (EqualsIgnoreCase(key, "Protocol")) return AllOf(value, IsProtocolCharacter);
    return false;
}

}  // namespace

std::string QuoteConnectionValue(std::string_view value) {
    if (!NeedsBraces(value)) return std::string(value);
    return BraceConnectionValue(value);
}

std::string BraceConnectionValue(std::string_view value) {
    std::string braced = "{";
    for (char c : value) {
        braced += c;
        if (c == '}') braced += '}';
    }
    braced += '}';
    return braced;
}

namespace {

std::string ServerText(std::string_view server) {
    std::size_t firstSemicolon = server.find(';');
    if (firstSemicolon == std::string_view::npos) return QuoteConnectionValue(server);
    std::string_view options = server.substr(firstSemicolon + 1);
    std::size_t start = 0;
    while (start <= options.size()) {
        std::size_t end = options.find(';', start);
        if (end == std::string_view::npos) end = options.size();
        if (!IsServerOption(options.substr(start, end - start)))
            return QuoteConnectionValue(server);
        start = end + 1;
    }
    return QuoteConnectionValue(server.substr(0, firstSemicolon)) + ";" + std::string(options);
}

}  // namespace

ServerValue ServerConnectionValue(std::string_view driver, std::string_view server) {
    ServerValue result{ServerText(server)};
    if (result.value.starts_with('{')) {
        const bool fileBased = IsFileBasedDriver(driver);
        result.asServer = !fileBased;
        result.asFile = fileBased;
    }
    return result;
}

bool IsFileBasedDriver(std::string_view driver) {
    return driver.find("*.") != std::string_view::npos;
}

bool NamesNoDriver(std::string_view driver) {
    if (std::all_of(driver.begin(), driver.end(), IsBlank)) return true;
    return driver == "(None)";
}

}  // namespace tarn
