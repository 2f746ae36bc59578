// TarnCBuilder --create-installation: the packager for scripts and CI, run as a user runs it.
#include <gtest/gtest.h>

#include "builder/testing/PackagingTestSupport.h"

namespace tarn::builder {
namespace {

using namespace test;

class CreateInstallationCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string missing = WhyPackagesCannotBeBuilt();
        if (!missing.empty()) GTEST_SKIP() << missing;
        MakeBuilderFolder(builder_);
        before_ = FilesIn(builder_);
    }
    // Nothing of a run stays in the builder's folder: no script, no deployment copy, no log.
    void ExpectBuilderFolderAsBefore() { EXPECT_EQ(FilesIn(builder_), before_); }

    tarn::test::TestEnvironment machine_;
    fs::path builder_ = machine_.root() / "builder bin";
    std::vector<std::string> before_;
};

// A relative package path names a file in the folder the command runs in, as any program's.
TEST_F(CreateInstallationCommand, TakesAPackagePathRelativeToTheCurrentFolder) {
    fs::path description = WriteDocument(machine_.root() / "orders.tcf");
    auto run = tarn::test::RunProcess(
        "/bin/sh", {"-c", "cd \"$0\" && \"$1\" --create-installation orders.tcf setup.exe",
                    machine_.root().string(), (builder_ / "TarnCBuilder").string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::exists(machine_.root() / "setup.exe"));
}

TEST_F(CreateInstallationCommand, FailsWithTheReasonAndNoPackage) {
    ConduitForm unverified = ValidConduitForm();
    unverified.CompanyName = "  ";
    const fs::path good = WriteDocument(machine_.root() / "good.tcf");
    const struct {
        const char* name;
        fs::path description;
        std::string reason;
    } cases[] = {
        {"missing description", machine_.root() / "missing.tcf",
         "TarnCBuilder: There was an error loading the configuration file "},
        {"deployment copy", WriteDocument(machine_.root() / "TORD.cfg", ValidConduitForm(), false),
         "TarnCBuilder: This is an invalid Tarn Conduit configuration file: "},
        {"does not verify", WriteDocument(machine_.root() / "bad.tcf", unverified),
         "TarnCBuilder: A company name is required\n"},
    };
    for (const auto& c : cases) {
        fs::path package = machine_.root() / "setup.exe";
        auto run = BuildPackage(builder_, c.description, package);
        EXPECT_EQ(run.exitCode, 1) << c.name;
        EXPECT_EQ(run.err.rfind(c.reason, 0), 0u) << c.name << ": " << run.err;
        EXPECT_FALSE(fs::exists(package)) << c.name;
        ExpectBuilderFolderAsBefore();
    }

    auto usage = tarn::test::RunProcess((builder_ / "TarnCBuilder").string(),
                                        {"--create-installation", good.string()});
    EXPECT_EQ(usage.exitCode, 1);
    EXPECT_EQ(usage.err, "usage: TarnCBuilder --create-installation DESCRIPTION PACKAGE.exe\n");
}

TEST_F(CreateInstallationCommand, NamesAWindowsFileMissingBesideTheBuilder) {
    fs::remove(builder_ / "PalmCOMInstaller.exe");
    before_ = FilesIn(builder_);
    fs::path package = machine_.root() / "setup.exe";
    auto run = BuildPackage(builder_, WriteDocument(machine_.root() / "orders.tcf"), package);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "TarnCBuilder: PalmCOMInstaller.exe is missing beside the builder in " +
                           builder_.string() +
                           "/ (the Windows edition: scripts/build-windows.sh)\n");
    EXPECT_FALSE(fs::exists(package));
    ExpectBuilderFolderAsBefore();
}

// The compiler's own words say what went wrong.
TEST_F(CreateInstallationCommand, ReportsWhatTheCompilerSaidWhenItFails) {
    // makensis reads the version of the libraries it packs.
    tarn::test::WriteFileBytes(builder_ / "TarnConduit2.dll", "not a Windows library");
    fs::path package = machine_.root() / "setup.exe";
    auto run = BuildPackage(builder_, WriteDocument(machine_.root() / "orders.tcf"), package);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.rfind("TarnCBuilder: Installation Package not Found: the NSIS compiler "
                            "ended with exit code 1\n",
                            0),
              0u)
        << run.err;
    EXPECT_NE(run.err.find("TarnConduit2.dll"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(package));
    ExpectBuilderFolderAsBefore();
}

}  // namespace
}  // namespace tarn::builder
