#include "tests/support/TestEnvironment.h"

#include <stdlib.h>

#include <algorithm>
#include <fstream>

namespace tarn::test {

ScopedEnv::ScopedEnv(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = getenv(name_.c_str())) old_ = old;
    if (value.empty())
        unsetenv(name_.c_str());
    else
        setenv(name_.c_str(), value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (old_)
        setenv(name_.c_str(), old_->c_str(), 1);
    else
        unsetenv(name_.c_str());
}

TestEnvironment::TestEnvironment()
    : home_("TARN_HOME", (dir_.path() / "home").string()),
      odbcSysIni_("ODBCSYSINI", (dir_.path() / "odbc").string()),
      odbcIni_("ODBCINI", (dir_.path() / "odbc" / "odbc.ini").string()),
      display_("DISPLAY", ""),
      wayland_("WAYLAND_DISPLAY", ""),
      qpa_("QT_QPA_PLATFORM", "offscreen") {
    std::filesystem::create_directories(tarnHome());
    std::filesystem::create_directories(odbcDir());
    std::ofstream(odbcDir() / "odbcinst.ini");
    std::ofstream(odbcDir() / "odbc.ini");
    std::string sqlite = FindOdbcDriverLibrary("libsqlite3odbc.so");
    if (!sqlite.empty()) addOdbcDriver("SQLite3", sqlite);
}

void TestEnvironment::addOdbcDriver(const std::string& name, const std::string& library,
                                    const std::string& extraLines) {
    std::ofstream out(odbcDir() / "odbcinst.ini", std::ios::app);
    out << "[" << name << "]\nDescription=" << name << "\nDriver=" << library << "\n"
        << extraLines << (extraLines.empty() || extraLines.back() == '\n' ? "" : "\n") << "\n";
}

std::string FindOdbcDriverLibrary(const std::string& fileName) {
    for (const char* dir : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc",
                            "/usr/lib/odbc", "/usr/local/lib"}) {
        std::filesystem::path candidate = std::filesystem::path(dir) / fileName;
        if (std::filesystem::exists(candidate)) return candidate.string();
    }
    return {};
}

std::filesystem::path SharedTestDataDir() {
    const char* shared = getenv("TARN_SHARED_DIR");
    return std::filesystem::path(shared ? shared : TARN_DEFAULT_SHARED_DIR) / "testdata";
}

std::filesystem::path BinDir() {
    const char* bin = getenv("TARN_BIN_DIR");
    return bin ? std::filesystem::path(bin) : std::filesystem::path(TARN_DEFAULT_BIN_DIR);
}

std::filesystem::path SourceDir() {
    const char* source = getenv("TARN_SOURCE_DIR");
    return source ? std::filesystem::path(source) : std::filesystem::path(TARN_DEFAULT_SOURCE_DIR);
}

std::string WindowsPath(const std::filesystem::path& path) {
    std::string text = "Z:" + path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

}  // namespace tarn::test
