#pragma once

#include <functional>
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

// The exit code and both outputs of a run, to explain an expectation that failed.
std::string Explain(const ProcessResult& result);

// Runs `body` in a forked child and returns what it returns as the child's exit code (255 when
// it throws, -1 when the child does not exit normally).
int RunInChild(const std::function<int()>& body);

// Runs `body(i)` for each i below `count`, every one in a forked child of its own and all at
// once; true when every child returned 0.
bool RunInChildrenAtOnce(int count, const std::function<int(int)>& body);

}  // namespace tarn::test
