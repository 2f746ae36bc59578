#include "windows/tests/WineSupport.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "tests/support/TestEnvironment.h"

namespace tarn::test::wine {
namespace {

std::string WineProgram() {
    const std::filesystem::path own = "/usr/lib/wine/wine64";
    return std::filesystem::exists(own) ? own.string() : "wine64";
}

// The same variables for every run: the prefix, and wine's own messages off.
ProcessResult RunInPrefix(const std::vector<std::string>& args, const std::string& tarnHome) {
    std::vector<std::string> envArgs = {"-u", "TARN_HOME", "WINEPREFIX=" + Prefix().string(),
                                        "WINEDEBUG=-all"};
    if (!tarnHome.empty()) envArgs.push_back("TARN_HOME=" + tarnHome);
    envArgs.push_back(WineProgram());
    envArgs.insert(envArgs.end(), args.begin(), args.end());
    ProcessResult result = RunProcess("/usr/bin/env", envArgs);
    // Windows programs end their lines with a carriage return and a line feed.
    for (std::string* text : {&result.out, &result.err}) std::erase(*text, '\r');
    return result;
}

}  // namespace

std::filesystem::path Prefix() {
    const char* file = std::getenv("TARN_WINE_PREFIX_FILE");
    std::ifstream in(file && *file ? file : TARN_DEFAULT_WINE_PREFIX_FILE);
    std::string prefix;
    if (!std::getline(in, prefix) || prefix.empty())
        throw std::runtime_error(
            "no wine prefix: run the tests through ctest (fixture wine_prefix)");
    return prefix;
}

ProcessResult Run(const std::string& program, const std::vector<std::string>& args,
                  const std::filesystem::path& tarnHome) {
    std::vector<std::string> all = {(BinDir() / program).string()};
    all.insert(all.end(), args.begin(), args.end());
    return RunInPrefix(all, tarnHome.empty() ? std::string() : WindowsPath(tarnHome));
}

ProcessResult Reg(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"reg"};
    all.insert(all.end(), args.begin(), args.end());
    return RunInPrefix(all, "");
}

std::filesystem::path DriveC() {
    return Prefix() / "drive_c";
}

}  // namespace tarn::test::wine
