#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "hotsync/Commands.h"

// The one option reader of every hotsync sub-command, so that all of them take the same forms.
namespace tarn::hotsync {

// What a sub-command accepts: options that take a value ("--user") and flags ("-u",
// "--dword").
struct OptionSpec {
    std::vector<std::string> valued;
    std::vector<std::string> flags;
};

struct ParsedArgs {
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    Args positional;

    bool Has(const std::string& name) const { return values.count(name) || flags.count(name); }
    std::string Get(const std::string& name) const {
        auto it = values.find(name);
        return it == values.end() ? std::string() : it->second;
    }
};

// Reads "--name value" and "--name=value" alike; anything after "--" is positional, and so is
// a lone "-" or a negative number. Nothing, with `error` set to one line, for an unknown option,
// a value missing or given to a flag, or an option given twice.
std::optional<ParsedArgs> ParseArgs(const Args& args, const OptionSpec& spec, std::string& error);

// The usage error of a sub-command: what is wrong on one line, then its usage line. Returns the
// exit code of a usage error, 2.
int UsageError(const std::string& command, const std::string& why, const std::string& usage);

// The handheld folder named on the command line, made absolute. Nothing, with `error` set to
// one line, when the text is empty or names no folder.
std::optional<std::filesystem::path> HandheldFolder(const std::string& text, std::string& error);

// The arguments of a sub-command that works on the folder given by its required `--handheld`
// option (which `spec` need not list).
struct HandheldArgs {
    ParsedArgs args;
    std::filesystem::path folder;
};
// Nothing, after the error is printed and `exitCode` set: 2 for a usage error (an empty folder
// among them), 1 for a folder that is not there.
std::optional<HandheldArgs> ParseHandheldArgs(const std::string& command, const Args& args,
                                              OptionSpec spec, const std::string& usage,
                                              int& exitCode);

}  // namespace tarn::hotsync
