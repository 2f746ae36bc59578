#pragma once

#include <string>
#include <vector>

namespace tarn::test {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a program (no shell) with the given arguments and standard input; collects its output.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = "");

}  // namespace tarn::test
