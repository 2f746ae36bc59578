#pragma once

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/RunProcess.h"
#include "tests/support/TestEnvironment.h"

// A fresh wine prefix for one test: 64-bit Windows on this machine, to run installation
// packages for real.
namespace tarn::builder::test {

inline constexpr char kWine64[] = "/usr/lib/wine/wine64";

// Empty when packages can be run under wine here; otherwise what is missing.
inline std::string WhyWineCannotRun() {
    if (access(kWine64, X_OK) != 0)
        return std::string(kWine64) + " is missing (Debian package wine)";
    return "";
}

class WinePrefix {
  public:
    explicit WinePrefix(const std::filesystem::path& folder)
        : folder_(folder), prefix_("WINEPREFIX", folder.string()), debug_("WINEDEBUG", "-all") {
        // A server that outlives each program spares every run starting Windows again; it
        // still ends by itself shortly after the test if the test never gets to end it.
        tarn::test::RunProcess("wineserver", {"-p10"});
        // Without the .NET and browser engines, which a conduit's installer never needs, wine
        // starts in a few seconds less and touches nothing outside the prefix.
        tarn::test::ScopedEnv lean("WINEDLLOVERRIDES", "mscoree,mshtml,winemenubuilder.exe=");
        Run("wineboot", {"--init"});
    }
    // Ends this prefix's wine server and every program still running in it.
    ~WinePrefix() { tarn::test::RunProcess("wineserver", {"-k"}); }
    WinePrefix(const WinePrefix&) = delete;
    WinePrefix& operator=(const WinePrefix&) = delete;

    // Runs a Windows program (a Unix path, or a Windows one such as "C:\\x\\remove.exe") until
    // it ends. Its output and wine's messages come together in `out`. The programs keep their
    // state where they do on a user's machine (the user's local application data in the
    // prefix): a TARN_HOME of this machine would mean nothing to them.
    tarn::test::ProcessResult Run(const std::string& program,
                                  const std::vector<std::string>& arguments = {}) {
        // Wine's own background programs keep the output they inherit open for seconds after the
        // program has ended, so the output goes to a file and only the program is waited for.
        const std::filesystem::path output = folder_.parent_path() / "wine-output.txt";
        std::vector<std::string> words{
            "-c", "unset TARN_HOME; exec \"$0\" \"$@\" >\"$WINE_OUTPUT\" 2>&1", kWine64, program};
        words.insert(words.end(), arguments.begin(), arguments.end());
        tarn::test::ScopedEnv to("WINE_OUTPUT", output.string());
        auto result = tarn::test::RunProcess("/bin/sh", words);
        result.out = tarn::test::ReadFileBytes(output);
        return result;
    }
    // As Run, and then waits (a minute at most) until `gone` is gone: an NSIS uninstaller
    // returns at once and removes the files from a copy of itself.
    tarn::test::ProcessResult RunUntilGone(const std::string& program,
                                           const std::vector<std::string>& arguments,
                                           const std::filesystem::path& gone) {
        auto result = Run(program, arguments);
        for (int i = 0; i < 600 && std::filesystem::exists(gone); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return result;
    }

    std::filesystem::path DriveC() const { return folder_ / "drive_c"; }
    std::filesystem::path System32() const { return DriveC() / "windows" / "system32"; }

    // A registry value as text (the key's default value when `name` is empty), or nothing when
    // the key or the value is missing.
    std::optional<std::string> RegistryValue(const std::string& key, const std::string& name) {
        auto result = Run("reg", name.empty() ? std::vector<std::string>{"query", key, "/ve"}
                                              : std::vector<std::string>{"query", key, "/v", name});
        if (result.exitCode != 0) return std::nullopt;
        const std::string type = "    REG_SZ    ";
        std::size_t at = result.out.find(type);
        if (at == std::string::npos) return std::nullopt;
        std::size_t begin = at + type.size();
        return result.out.substr(begin, result.out.find_first_of("\r\n", begin) - begin);
    }
    void SetRegistryValue(const std::string& key, const std::string& name,
                          const std::string& data) {
        Run("reg", {"add", key, "/v", name, "/d", data, "/f"});
    }
    void DeleteRegistryValue(const std::string& key, const std::string& name) {
        Run("reg", {"delete", key, "/v", name, "/f"});
    }

  private:
    std::filesystem::path folder_;
    tarn::test::ScopedEnv prefix_;
    tarn::test::ScopedEnv debug_;
};

}  // namespace tarn::builder::test
