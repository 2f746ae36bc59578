#include "builder/PackageCompiler.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/process/CommandWords.h"
#include "tests/support/TempDir.h"

namespace tarn::builder {
namespace {

namespace fs = std::filesystem;

void WriteProgram(const fs::path& path, const std::string& shellScript) {
    test::WriteFileBytes(path, "#!/bin/sh\n" + shellScript + "\n");
    fs::permissions(path, fs::perms::owner_all);
}

TEST(CompilerCommandLine, EveryPathStaysOneWord) {
    const std::string compiler = "/opt/my \"odd\" $folder\\`x`/makensis";
    const std::string script = "/tmp/it's here/_temp.nsi";
    auto words = platform::process::SplitCommandLine(CompilerCommandLine(compiler, script));
    ASSERT_TRUE(words);
    EXPECT_EQ(*words, (std::vector<std::string>{compiler, script}));
    words =
        platform::process::SplitCommandLine(CompilerCommandLine(compiler, script, "/tmp/a log"));
    ASSERT_TRUE(words);
    EXPECT_EQ(*words, (std::vector<std::string>{compiler, "-O/tmp/a log", script}));
}

TEST(NsisCompiler, TheOneBesideTheBuilderComesFirst) {
    test::TempDir dir;
    EXPECT_EQ(NsisCompiler(dir.path().string()), "makensis");
    test::WriteFileBytes(dir / "makensis", "not executable");
    EXPECT_EQ(NsisCompiler(dir.path().string()), "makensis");
    WriteProgram(dir / "makensis", "exit 0");
    EXPECT_EQ(NsisCompiler(dir.path().string()), (dir / "makensis").string());
    EXPECT_EQ(NsisCompiler(""), "makensis");
}

// Success needs both: the compiler's exit code 0 and the package at the path afterwards.
TEST(CompilePackage, JudgesByExitCodeAndThePackageWrittenByThisRun) {
    const struct {
        const char* name;
        std::string compiler;  // shell script; $1 is the package path
        bool staleFileBefore;
        CompileOutcome outcome;
        int exitCode;
        bool packageAfter;
    } cases[] = {
        {"builds", "echo package > \"$1\"", false, CompileOutcome::PackageBuilt, 0, true},
        {"replaces an old package", "echo package > \"$1\"", true, CompileOutcome::PackageBuilt, 0,
         true},
        {"fails", "exit 1", false, CompileOutcome::PackageNotFound, 1, false},
        {"fails beside an old package", "exit 1", true, CompileOutcome::PackageNotFound, 1, false},
        {"fails leaving half a package", "echo half > \"$1\"; exit 2", false,
         CompileOutcome::PackageNotFound, 2, false},
        {"says success but writes nothing", "exit 0", true, CompileOutcome::PackageNotFound, 0,
         false},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        const fs::path package = dir / "setup.exe";
        WriteProgram(dir / "compiler", c.compiler);
        if (c.staleFileBefore) test::WriteFileBytes(package, "old");
        CompileResult result = CompilePackage(
            CompilerCommandLine((dir / "compiler").string(), package.string()), package.string());
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        EXPECT_EQ(result.exitCode, c.exitCode) << c.name;
        EXPECT_EQ(fs::exists(package), c.packageAfter) << c.name;
        if (c.packageAfter) {
            EXPECT_EQ(test::ReadFileBytes(package), "package\n") << c.name;
        }
    }
}

}  // namespace
}  // namespace tarn::builder
