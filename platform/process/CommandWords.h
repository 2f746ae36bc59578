#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarn::platform::process {

// Splits a command line into words as a POSIX shell splits a simple command (see RunHiddenAndWait).
// Nothing when a quote is not closed or the line ends in an escaping backslash.
std::optional<std::vector<std::string>> SplitCommandLine(const std::string& commandLine);

}  // namespace tarn::platform::process
