#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/RunProcess.h"

// Runs the Windows edition under wine, in the prefix the wine_prefix fixture made.
namespace tarn::test::wine {

// The prefix of this test run (its path is in the file the fixture wrote).
std::filesystem::path Prefix();

// A Windows program of the build ("hotsync.exe", or a full path) under wine, with TARN_HOME set to
// the Windows name of `tarnHome` for it alone (unset when empty). Its output's lines end in "\n"
// alone.
ProcessResult Run(const std::string& program, const std::vector<std::string>& args,
                  const std::filesystem::path& tarnHome);

// wine's own registry tool: "reg query KEY /v NAME" and so on.
ProcessResult Reg(const std::vector<std::string>& args);

// The drive C: of the prefix.
std::filesystem::path DriveC();

}  // namespace tarn::test::wine
