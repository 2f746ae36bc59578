#include "hotsync/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <iostream>

namespace tarn::hotsync {
namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Negative numbers are values (a registry number, say), not options.
bool LooksLikeOption(const std::string& arg) {
    if (arg.size() < 2 || arg[0] != '-') return false;
    return !std::isdigit(static_cast<unsigned char>(arg[1]));
}

}  // namespace

std::optional<ParsedArgs> ParseArgs(const Args& args, const OptionSpec& spec, std::string& error) {
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !LooksLikeOption(arg)) {
            parsed.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (parsed.Has(name)) {
            error = name + " is given more than once";
            return std::nullopt;
        }
        if (Contains(spec.flags, name)) {
            if (equals != std::string::npos) {
                error = name + " takes no value";
                return std::nullopt;
            }
            parsed.flags.insert(name);
        } else if (Contains(spec.valued, name)) {
            if (equals != std::string::npos) {
                parsed.values[name] = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                parsed.values[name] = args[++i];
            } else {
                error = name + " needs a value";
                return std::nullopt;
            }
        } else {
            error = "unknown option '" + name + "'";
            return std::nullopt;
        }
    }
    return parsed;
}

int UsageError(const std::string& command, const std::string& why, const std::string& usage) {
    std::cerr << "hotsync " << command << ": " << why << "\n"
              << "usage: hotsync " << usage << "\n";
    return 2;
}

std::optional<std::filesystem::path> HandheldFolder(const std::string& text, std::string& error) {
    if (text.empty()) {
        error = "the handheld folder is empty; give the folder after --handheld";
        return std::nullopt;
    }
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::absolute(text, ec);
    if (ec) {
        error = "the handheld folder " + text + " cannot be used: " + ec.message();
        return std::nullopt;
    }
    std::filesystem::file_status status = std::filesystem::status(folder, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        error = "the handheld folder " + folder.string() + " does not exist";
        return std::nullopt;
    }
    if (ec) {
        error = "the handheld folder " + folder.string() + " cannot be used: " + ec.message();
        return std::nullopt;
    }
    if (!std::filesystem::is_directory(status)) {
        error = "the handheld folder " + folder.string() + " is not a folder";
        return std::nullopt;
    }
    return folder;
}

std::optional<HandheldArgs> ParseHandheldArgs(const std::string& command, const Args& args,
                                              OptionSpec spec, const std::string& usage,
                                              int& exitCode) {
    spec.valued.push_back("--handheld");
    std::string error;
    std::optional<ParsedArgs> parsed = ParseArgs(args, spec, error);
    if (parsed && !parsed->Has("--handheld")) error = "--handheld DIR is required";
    if (parsed && parsed->Has("--handheld") && parsed->Get("--handheld").empty())
        error = "--handheld needs a folder, not an empty name";
    if (!error.empty()) {
        exitCode = UsageError(command, error, usage);
        return std::nullopt;
    }
    std::optional<std::filesystem::path> folder = HandheldFolder(parsed->Get("--handheld"), error);
    if (!folder) {
        std::cerr << "hotsync " << command << ": " << error << "\n";
        exitCode = 1;
        return std::nullopt;
    }
    return HandheldArgs{std::move(*parsed), std::move(*folder)};
}

}  // namespace tarn::hotsync
