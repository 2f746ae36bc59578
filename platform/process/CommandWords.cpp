#include "platform/process/CommandWords.h"

namespace tarn::platform::process {

std::optional<std::vector<std::string>> SplitCommandLine(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;  // a quoted empty word ("") still counts as a word
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else if (c == '\'') {
            std::size_t close = line.find('\'', i + 1);
            if (close == std::string::npos) return std::nullopt;
            word.append(line, i + 1, close - i - 1);
            i = close;
            inWord = true;
        } else if (c == '"') {
            for (++i;; ++i) {
                if (i >= line.size()) return std::nullopt;
                if (line[i] == '"') break;
                // Inside double quotes a backslash escapes only what would otherwise end or
                // change the quoted text; elsewhere it is kept, as a shell keeps it.
                if (line[i] == '\\' && i + 1 < line.size() &&
                    (line[i + 1] == '"' || line[i + 1] == '\\' || line[i + 1] == '$' ||
                     line[i + 1] == '`'))
                    ++i;
                word += line[i];
            }
            inWord = true;
        } else if (c == '\\') {
            if (i + 1 >= line.size()) return std::nullopt;
            word += line[++i];
            inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

}  // namespace tarn::platform::process
