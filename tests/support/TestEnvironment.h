#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/TempDir.h"

namespace tarn::test {

// Sets an environment variable for the lifetime of the object and restores the old value.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> old_;
};

// A private machine for one test: TARN_HOME is a fresh folder, ODBCSYSINI points at a private
// odbcinst.ini that registers the SQLite3 ODBC driver (and any driver added later), and no
// display is set, so message boxes print to stderr and take their default button.
class TestEnvironment {
  public:
    TestEnvironment();

    const std::filesystem::path& root() const { return dir_.path(); }
    std::filesystem::path tarnHome() const { return dir_.path() / "home"; }
    std::filesystem::path odbcDir() const { return dir_.path() / "odbc"; }

    // Adds a driver section to the private odbcinst.ini.
    void addOdbcDriver(const std::string& name, const std::string& library,
                       const std::string& extraLines = "");

  private:
    TempDir dir_;
    ScopedEnv home_;
    ScopedEnv odbcSysIni_;
    ScopedEnv odbcIni_;
    ScopedEnv display_;
    ScopedEnv wayland_;
    ScopedEnv qpa_;
};

// Full path of an ODBC driver library installed by Debian, or empty when missing.
std::string FindOdbcDriverLibrary(const std::string& fileName);

// Folder of the shared reference data (real .pdb files; TARN_SHARED_DIR overrides).
std::filesystem::path SharedTestDataDir();

// Folder of the built programs (TARN_BIN_DIR overrides).
std::filesystem::path BinDir();

// The source tree (TARN_SOURCE_DIR overrides).
std::filesystem::path SourceDir();

// The Windows name of a file of this machine under wine: "Z:" and the path with backslashes.
std::string WindowsPath(const std::filesystem::path& path);

}  // namespace tarn::test
