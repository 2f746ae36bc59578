// tarn-config: shows a conduit description as JSON and writes one from JSON.
#include <filesystem>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "common/config/ConfigFile.h"
#include "tools/tarn-config/ConfigJson.h"

namespace {

constexpr char kUsage[] =
    "usage: tarn-config show FILE      print the description as JSON\n"
    "       tarn-config write FILE     write the description read as JSON from stdin\n";

// What is wrong on one line, then how the program is used.
int Usage(const std::string& why) {
    std::cerr << "tarn-config: " << why << "\n" << kUsage;
    return 2;
}

int Show(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        const char* reason = std::filesystem::is_directory(path, ec) ? "it is a folder"
                             : std::filesystem::exists(path, ec)     ? "not a regular file"
                                                                     : "no such file";
        std::cerr << "tarn-config: cannot read " << path << ": " << reason << "\n";
        return 1;
    }
    tarn::ConduitSettings settings;
    tarn::colTables tables;
    std::string error;
    if (!tarn::ReadConfigFile(path, settings, tables, &error)) {
        std::cerr << "tarn-config: cannot read " << path << ": " << error << "\n";
        return 1;
    }
    std::cout << tarn::tools::DescriptionToJson(settings, tables).dump(2) << "\n";
    return 0;
}

int Write(const std::string& path) {
    std::string input(std::istreambuf_iterator<char>(std::cin), {});
    nlohmann::json json = nlohmann::json::parse(input, nullptr, false);
    if (json.is_discarded()) {
        std::cerr << "tarn-config: the input is not valid JSON\n";
        return 1;
    }
    tarn::ConduitSettings settings;
    tarn::colTables tables;
    std::string error;
    if (!tarn::tools::DescriptionFromJson(json, settings, tables, error)) {
        std::cerr << "tarn-config: " << error << "\n";
        return 1;
    }
    if (!tarn::WriteConfigFile(path, settings, tables, &error)) {
        std::cerr << "tarn-config: cannot write " << path << ": " << error << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (args.empty()) return Usage("missing command");
    const std::string& command = args[0];
    if (command != "show" && command != "write") return Usage("unknown command '" + command + "'");
    if (args.size() != 2) return Usage(command + " takes exactly one FILE");
    if (args[1].empty()) return Usage(command + " needs a file, not an empty name");
    if (args[1].size() > 1 && args[1][0] == '-') return Usage("unknown option '" + args[1] + "'");
    return command == "show" ? Show(args[1]) : Write(args[1]);
}
