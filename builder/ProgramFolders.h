#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarn::builder {

// The folder of the running program's executable, ending in "/".
std::string ExecutableFolder();

// Where deployment copies of a description go: the program folder (ending in "/") when a file
// can be created there, otherwise "conduits/" under TARN_HOME (created on demand), as for a
// copy of the builder installed in a system folder. Empty when neither can be used.
std::string DeploymentFolder(const std::string& programFolder);

// The document a command line names. The arguments are joined into one command line as typed;
// when it contains ".tcf" (letter case counts) it is the path, less one leading and one
// trailing double quote.
std::optional<std::string> DocumentFromCommandLine(const std::vector<std::string>& arguments);

// The help page shipped with the program: beside the executable, or in the share folder of an
// installed copy. Empty when it cannot be found.
std::string HelpPagePath(const std::string& programFolder);

}  // namespace tarn::builder
